#pragma once
// The records around a sheet's cell table, which the engine rebuilds when it writes the
// sheet: ROW, DIMENSIONS, INDEX and DBCELL; and COLINFO, read for the columns' formats.
// Each is a struct of named fields with its own parse() and emit() (the body, without the
// record's header).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// ROW: a row's extent, height, options and default cell format.
struct RowRecord {
  static constexpr std::size_t kSize = 16;

  // Bits of `options`.
  static constexpr std::uint16_t kOutlineLevel = 0x0007;
  static constexpr std::uint16_t kCollapsed = 0x0010;
  static constexpr std::uint16_t kHidden = 0x0020;
  static constexpr std::uint16_t kHeightSet = 0x0040;  // the height does not follow the font
  static constexpr std::uint16_t kFormatted = 0x0080;  // the row's cell format applies
  static constexpr std::uint16_t kAlwaysSet = 0x0100;  // set in every ROW record
  // Bits of `format`.
  static constexpr std::uint16_t kFormatIndex = 0x0FFF;
  static constexpr std::uint16_t kThickTop = 0x1000;
  static constexpr std::uint16_t kThickBottom = 0x2000;
  static constexpr std::uint16_t kPhonetic = 0x4000;

  static constexpr std::uint16_t kDefaultHeight = 0x00FF;  // in twips: 12.75 points
  static constexpr std::uint16_t kDefaultFormat = 15;      // the first cell format

  std::uint16_t row = 0;           // from 0
  std::uint16_t first_column = 0;  // of the row's cell records, from 0
  std::uint16_t end_column = 0;    // one past the last of them
  std::uint16_t height = kDefaultHeight;
  std::uint16_t reserved = 0;
  std::uint16_t unused = 0;
  std::uint16_t options = kAlwaysSet;
  std::uint16_t format = kDefaultFormat;
  std::string_view rest;  // bytes past the fields (none in a well-formed record), kept

  bool formatted() const { return options & kFormatted; }
  std::uint16_t format_index() const { return format & kFormatIndex; }

  // Empty for a body shorter than kSize.
  static std::optional<RowRecord> parse(std::string_view body);
  std::string emit() const;
};

// DIMENSIONS: the rows and columns that hold cells.
struct DimensionsRecord {
  static constexpr std::size_t kSize = 14;
  // The form with 16-bit rows that older writers use; read, never written.
  static constexpr std::size_t kShortSize = 8;

  std::uint32_t first_row = 0;
  std::uint32_t end_row = 0;  // one past the last row with a cell
  std::uint16_t first_column = 0;
  std::uint16_t end_column = 0;  // one past the last column with a cell
  std::uint16_t reserved = 0;

  bool empty() const { return end_row <= first_row || end_column <= first_column; }

  // Empty for a body shorter than either form.
  static std::optional<DimensionsRecord> parse(std::string_view body);
  std::string emit() const;
};

// INDEX: where the sheet's rows lie in the stream, for readers that jump to a row.
struct IndexRecord {
  static constexpr std::size_t kFixedSize = 16;  // before the DBCELL positions

  std::uint32_t reserved = 0;
  std::uint32_t first_row = 0;
  std::uint32_t end_row = 0;             // one past the last row with a cell
  std::uint32_t default_width_at = 0;    // stream position of DEFCOLWIDTH, 0 for none
  std::vector<std::uint32_t> dbcell_at;  // stream position of each block's DBCELL

  static constexpr std::size_t size(std::size_t blocks) { return kFixedSize + 4 * blocks; }

  // Empty for a body shorter than kFixedSize; bytes after the last whole position are
  // not read.
  static std::optional<IndexRecord> parse(std::string_view body);
  std::string emit() const;
};

// DBCELL: closes a block of up to 32 rows with the distances a reader needs to find each
// row's first cell.
struct DbCellRecord {
  static constexpr std::uint16_t kRowsPerBlock = 32;

  // From the start of this record back to the block's first ROW record.
  std::uint32_t first_row_distance = 0;
  // Per row of the block: to its first cell, from the previous row's first cell; for the
  // first row, from the end of the block's first ROW record.
  std::vector<std::uint16_t> cell_distances;

  std::string emit() const;
};

// COLINFO: the width and cell format of a range of columns. Options follow the fields
// read here.
struct ColInfoRecord {
  static constexpr std::size_t kReadSize = 8;

  std::uint16_t first_column = 0;
  std::uint16_t last_column = 0;
  std::uint16_t width = 0;  // in 1/256 of a character's width
  std::uint16_t format = 0;

  // Empty for a body shorter than kReadSize.
  static std::optional<ColInfoRecord> parse(std::string_view body);
};

}  // namespace xls
