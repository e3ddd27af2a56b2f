#pragma once
// The editable form of one worksheet: its records before the cell table, the cell table
// itself as rows of cells, and its records after it. Written back, the cell table is
// re-emitted in order (ROW records, cells by row and column, a DBCELL after every block of
// 32 rows) and the sheet's INDEX and DIMENSIONS records are updated; every record outside
// the cell table keeps its bytes.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xls/formula_records.h"
#include "xls/record_stream.h"
#include "xls/sheet_records.h"

namespace xls {

class CellTable {
 public:
  // fallback_xf: the cell format of a new cell that neither its row nor its column
  // formats. Throws Error when the sheet's cell records are inconsistent.
  CellTable(const Substream& sheet, std::uint16_t fallback_xf);
  CellTable(const CellTable&) = delete;  // its records are views into its own storage
  CellTable& operator=(const CellTable&) = delete;

  // The cell format a value written at (row, column), both from 0, keeps: the cell's own,
  // else its row's, else its column's, else the fallback.
  std::uint16_t format_of(std::uint16_t row, std::uint16_t column) const;
  // True when the sheet has a record for the cell (a blank one included).
  bool has_cell(std::uint16_t row, std::uint16_t column) const;
  // Throws Error for a cell whose value cannot be replaced, and changes nothing: `refused`
  // for a cell of an array formula over several cells or of a data table's results, as the
  // spreadsheet application refuses them; `unreadable` for the first cell of a shared
  // formula whose tokens cannot be read, since the other cells of it would lose theirs.
  void check_writable(std::uint16_t row, std::uint16_t column) const;
  // True when the sheet's protection is on: its locked cells take no values.
  bool protected_sheet() const { return protected_; }
  // Puts a cell record (`body` starts with row, column and cell format) at (row, column),
  // replacing what was there; check_writable() first. Replacing one cell of a shared formula
  // leaves every other cell of it with its formula.
  void set_cell(std::uint16_t row, std::uint16_t column, std::uint16_t id, std::string body);
  // Stores a new result in the formula cell at (row, column): the 8 result bytes and, for a
  // text, the bodies of its STRING record and CONTINUE records (formula_records.h); the old
  // STRING goes. Returns false, changing nothing, when the cell holds no formula.
  bool set_formula_result(std::uint16_t row, std::uint16_t column, std::string_view result,
                          const std::vector<std::string>& string_bodies);
  // True once set_cell has been called: the sheet is then written from this table, not
  // copied from the template.
  bool written() const { return written_; }

  // The cell records in order, each followed by the records that belong to it.
  std::vector<Record> cell_records() const;
  std::size_t string_references() const;

  // Appends the whole sheet substream; out.size() is its position in the workbook stream.
  void write(std::string& out) const;

 private:
  struct CellEntry {
    std::uint16_t first = 0;  // columns covered, from 0
    std::uint16_t last = 0;
    Record record;
    std::vector<Record> trailing;  // STRING, SHRFMLA, ARRAY, CONTINUE, ... that follow it
  };
  struct RowEntry {
    std::optional<RowRecord> row_record;  // the template's, if it has one for the row
    bool touched = false;
    std::vector<CellEntry> cells;  // by column
  };
  using RowIterator = std::map<std::uint16_t, RowEntry>::const_iterator;
  // Where the records that INDEX points to landed while the sheet was written.
  struct Positions {
    std::optional<std::size_t> index_at;  // INDEX itself, written before it can be filled
    std::uint32_t default_width_at = 0;
    std::vector<std::uint32_t> dbcell_at;
  };

  void read_table(const std::vector<Record>& records);
  void add_cell(const Record& record, CellEntry*& last);
  std::uint16_t format_at(const RowEntry& row, std::uint16_t column) const;
  // The entry holding `column` in a row's cells, or cells.end().
  static std::vector<CellEntry>::const_iterator find(const std::vector<CellEntry>& cells,
                                                     std::uint16_t column);
  // The part [from, to] of a MULRK or MULBLANK run, as a record of its own.
  CellEntry cut(const CellEntry& run, std::uint16_t from, std::uint16_t to);
  // Takes columns [from, to] out of a row's cells while the table is read, for a later
  // record of the same cells; returns what followed the records taken out, but their strings.
  std::vector<Record> drop_columns(std::vector<CellEntry>& cells, std::uint16_t from,
                                   std::uint16_t to);
  // Formulas (cell_table_formulas.cpp): the ranges that refuse writes, read once; the shared
  // formula whose first cell `entry` is; giving its other cells their own formulas.
  void index_formula_ranges();
  const CellEntry* entry_at(std::uint16_t row, std::uint16_t column) const;
  std::optional<SharedFormulaRecord> shared_formula_of(const CellEntry& entry) const;
  void unshare(const CellEntry& first, std::uint16_t row, std::uint16_t column);
  std::string_view own(std::string bytes);

  // The parts of write(): the records up to the cell table, one block of rows, the INDEX.
  void write_before_table(std::string& out, Positions& positions) const;
  std::uint32_t write_block(std::string& out, RowIterator first, RowIterator end) const;
  RowIterator end_of_block(RowIterator first) const;
  std::size_t block_count() const;
  RowRecord row_record(std::uint16_t number, const RowEntry& row) const;
  DimensionsRecord dimensions() const;
  IndexRecord index(const Positions& positions) const;

  std::vector<Record> before_;  // BOF up to the cell table
  std::vector<std::uint8_t> before_depth_;
  std::vector<Record> leading_;  // odd records inside the table ahead of any cell
  std::map<std::uint16_t, RowEntry> rows_;
  bool written_ = false;
  RowEntry* last_row_ = nullptr;  // where the previous cell went, while reading the table
  std::uint16_t last_row_number_ = 0;
  std::vector<Record> after_;   // the rest, EOF included
  std::size_t dimensions_ = 0;  // index in before_
  DimensionsRecord declared_;   // what the template's DIMENSIONS said
  std::vector<ColInfoRecord> column_formats_;
  std::vector<CellRange> arrays_;       // array formulas over more than one cell
  std::vector<CellRange> data_tables_;  // the result cells of data tables
  bool protected_ = false;
  std::uint16_t fallback_xf_;
  std::deque<std::string> owned_;
};

}  // namespace xls
