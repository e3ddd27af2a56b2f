#pragma once
// What an open workbook consists of; shared by the files that implement xls::Workbook.

#include <map>
#include <optional>

#include <string>
#include <vector>

#include "xls/cell_formats.h"
#include "xls/cell_table.h"
#include "xls/compound_file.h"
#include "xls/formula/workbook_names.h"
#include "xls/record_stream.h"
#include "xls/shared_strings.h"
#include "xls/workbook.h"

namespace xls {

// A cell of the workbook: sheet index, row and column from 0.
struct CellKey {
  std::uint16_t sheet = 0, row = 0, column = 0;
  bool operator<(const CellKey& other) const {
    if (sheet != other.sheet) return sheet < other.sheet;
    return row != other.row ? row < other.row : column < other.column;
  }
  bool operator==(const CellKey&) const = default;
};

struct SheetEntry {
  std::u16string name;
  std::uint8_t type = 0;                 // as BOUNDSHEET says (BoundSheetRecord::kWorksheet, ...)
  std::size_t record = 0;                // its BOUNDSHEET among the globals records
  std::optional<std::size_t> substream;  // among RecordStream::sheets
};

struct Workbook::State {
  std::filesystem::path path;
  std::string name;  // the file, for descriptions
  const FileSystem* files = nullptr;
  CompoundFile container;
  std::size_t stream_entry = 0;
  std::string stream;  // the workbook stream as read; records are views into it
  RecordStream records;
  std::vector<SheetEntry> sheets;
  SharedStrings strings;
  CellFormats formats;
  formula::WorkbookNames names;             // sheet references and defined names that formulas use
  std::map<std::size_t, CellTable> tables;  // by substream: the sheets written or looked into

  // The table of substream k when cells were written to it; nothing when the sheet is
  // copied as the template has it.
  const CellTable* written_table(std::size_t k) const {
    const auto found = tables.find(k);
    return found != tables.end() && found->second.written() ? &found->second : nullptr;
  }
  bool changed = false;
  // The cells written since opening: saving computes the formulas that read them.
  std::vector<CellKey> changed_cells;
  bool compute_every_formula = false;
};

// A checked cell of a worksheet: its sheet's cell table, row and column from 0.
struct Workbook::Place {
  std::size_t sheet;
  CellTable* table;
  std::uint16_t row, column;
};

// The workbook stream with every edit applied and every stream position recomputed.
std::string write_workbook_stream(const Workbook::State& state);

// The records of a new workbook with one empty worksheet named "Data".
std::string blank_workbook_stream();

}  // namespace xls
