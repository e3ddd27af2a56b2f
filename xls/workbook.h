#pragma once
// A workbook in the Excel 97-2003 format (.xls): opened from a file or from bytes, values
// (text, numbers, booleans, error values) written into cells of its worksheets, saved.
// Everything the engine does not change is kept byte for byte: other streams of the file,
// other sheets, and the records of the written sheet outside its cell table. Every failure
// is an xls::Error of the kind that says what was refused.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xls/cell.h"
#include "xls/error.h"
#include "xls/file_system.h"

namespace xls {

enum class SheetKind { worksheet, macro_sheet, chart, vba_module, other };

class Workbook {
 public:
  static constexpr std::int64_t kMaxRow = 65536;
  static constexpr std::int64_t kMaxColumn = 256;
  static constexpr std::size_t kMaxTextLength = 32767;

  // Reads the file; it is never written to unless save() is called.
  static Workbook open(const std::filesystem::path& path,
                       const FileSystem& files = native_file_system());
  // `name` stands for the file in failure descriptions.
  static Workbook open_bytes(std::string bytes, std::string name = "workbook");
  // One empty worksheet named "Data"; save_as() gives it a file.
  static Workbook create_blank(const FileSystem& files = native_file_system());

  Workbook(Workbook&&) noexcept;
  Workbook& operator=(Workbook&&) noexcept;
  ~Workbook();

  std::size_t sheet_count() const;
  std::vector<std::u16string> sheet_names() const;
  SheetKind sheet_kind(std::size_t sheet) const;
  // Compared without case, as spreadsheets compare sheet names.
  std::optional<std::size_t> find_sheet(std::u16string_view name) const;

  // Row and column count from 1. Each write replaces whatever the cell held and keeps its
  // cell format (font, borders, fill, alignment); where the value needs another number
  // format or quote-prefix attribute, the cell gets a copy of its format with just that
  // changed. The quote prefix follows the last write: only set_text(..., true) sets it.
  // Outside the sheet (rows 1..65536, columns 1..256), a sheet that holds no cells, a cell
  // of an array formula over several cells or of a data table, a locked cell of a protected
  // sheet, or a workbook with no room for another cell format: Error, and the workbook is
  // unchanged. Replacing one cell of a shared formula leaves the others their formula.

  // Text longer than 32767 characters is refused. `quote_prefix` marks the cell as typed
  // with a leading apostrophe (the text itself does not hold it).
  void set_text(std::size_t sheet, std::int64_t row, std::int64_t column, std::u16string_view text,
                bool quote_prefix = false);
  // Number format codes are the US-English spellings ("General", "0%", "m/d/yyyy", "@"); an
  // empty one keeps the cell's. Not-a-number and infinities are refused (no cell holds them).
  void set_number(std::size_t sheet, std::int64_t row, std::int64_t column, double value,
                  std::u16string_view number_format = {});
  void set_boolean(std::size_t sheet, std::int64_t row, std::int64_t column, bool value);
  // code: 0x00 #NULL!, 0x07 #DIV/0!, 0x0F #VALUE!, 0x17 #REF!, 0x1D #NAME?, 0x24 #NUM!,
  // 0x2A #N/A; any other is refused.
  void set_error(std::size_t sheet, std::int64_t row, std::int64_t column, std::uint8_t code);

  // A formula from its text as the application takes it in US English ("=SUM(C6:C200)",
  // commas between arguments, 'Other sheet'!A1), with a stored result of 0 until it is
  // computed; the file asks for it to be computed on load. A text that is no formula this
  // workbook can hold (unknown function, name or sheet, a limit of the file format) is
  // refused (ErrorKind::refused, the application's message and what is wrong).
  void set_formula(std::size_t sheet, std::int64_t row, std::int64_t column,
                   std::u16string_view text);

  // The cell loses its value and keeps its format: a cell the sheet has becomes blank, a
  // cell it does not have stays absent.
  void clear_value(std::size_t sheet, std::int64_t row, std::int64_t column);

  // The number format code a value written there keeps: the cell's own format if the cell
  // exists, else its row's, else its column's, else the default cell format. Built-in
  // indices map to their US-English codes. Same checks as the writes.
  std::u16string number_format_at(std::size_t sheet, std::int64_t row, std::int64_t column) const;
  // True when the workbook counts dates from 1904 (its DATEMODE record says so).
  bool date_1904() const;

  std::optional<Cell> cell(std::size_t sheet, std::int64_t row, std::int64_t column) const;
  // Every cell of the sheet, blank ones included, by row then column.
  std::vector<Cell> cells(std::size_t sheet) const;

  // Formulas (row and column from 1). Each formula cell's text as the application shows it
  // in US English ("=SUM(A1:A3)", a cell of an array formula as "{=...}"), by (row, column);
  // a formula whose tokens no text can show has an empty text.
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::u16string> formula_texts(
      std::size_t sheet) const;

  // True once a write has changed it.
  bool changed() const;
  // Saving computes every formula the engine can compute, not only those that read written
  // cells (a workbook whose stored results another program left stale).
  void compute_every_formula_on_save();

  // Saving computes the formulas that read written cells, directly or through other formulas,
  // and the volatile ones, and stores their results (formula_computation.h).
  // Back to the file it was opened from (or last saved as), atomically.
  void save();
  void save_as(const std::filesystem::path& path);
  std::string to_bytes() const;

  // The file it was opened from or saved as; empty for one from bytes or create_blank().
  const std::filesystem::path& path() const;

  struct State;  // the engine's own; defined where it is implemented

 private:
  explicit Workbook(std::unique_ptr<State> state);
  static Workbook load(std::string bytes, std::string name, const FileSystem& files);
  // A checked cell of a worksheet: its sheet's cell table, row and column from 0.
  struct Place;
  Place place(std::size_t sheet, std::int64_t row, std::int64_t column) const;
  // The same for a write: refuses (ErrorKind::refused) a cell the spreadsheet application
  // would not let a value into: part of an array formula or a data table, or a locked cell
  // of a protected sheet.
  Place writable_place(std::size_t sheet, std::int64_t row, std::int64_t column) const;
  // The cell format a value written there gets (see CellFormats::format_for).
  std::uint16_t format_for(const Place& at, std::u16string_view number_format, bool quote_prefix);
  // Puts the cell record `body` (row, column and cell format first) into its sheet.
  void store(const Place& at, std::uint16_t record_id, std::string body);

  std::unique_ptr<State> state_;
};

}  // namespace xls
