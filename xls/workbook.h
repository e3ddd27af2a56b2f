#pragma once
// A workbook in the Excel 97-2003 format (.xls): opened from a file or from bytes, text
// written into cells of its worksheets, saved. Everything the engine does not change is
// kept byte for byte: other streams of the file, other sheets, and the records of the
// written sheet outside its cell table. Every failure is an xls::Error numbered 1004.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

  // Row and column count from 1. Replaces whatever the cell held and keeps its format.
  // Outside the sheet (rows 1..65536, columns 1..256), text longer than 32767
  // characters, or a sheet that holds no cells: Error, and the workbook is unchanged.
  void set_text(std::size_t sheet, std::int64_t row, std::int64_t column, std::u16string_view text);

  std::optional<Cell> cell(std::size_t sheet, std::int64_t row, std::int64_t column) const;
  // Every cell of the sheet, blank ones included, by row then column.
  std::vector<Cell> cells(std::size_t sheet) const;

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

  std::unique_ptr<State> state_;
};

}  // namespace xls
