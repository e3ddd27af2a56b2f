#pragma once
// The cell records the engine writes (LABELSST, RK, NUMBER, BOOLERR, BLANK) or splits
// (MULRK, MULBLANK); formula records are in formula_records.h. Each is a struct of named
// fields with its own parse() and emit() (the body, without the record's header); `kId`
// names the record that carries it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xls/little_endian.h"
#include "xls/record_ids.h"

namespace xls {

// What every cell record starts with.
struct CellHeader {
  static constexpr std::size_t kSize = 6;

  std::uint16_t row = 0;     // from 0
  std::uint16_t column = 0;  // from 0
  std::uint16_t format = 0;  // the cell format (XF) index

  // The body must hold kSize bytes. Both run for every cell: defined here to be inlined.
  static CellHeader parse(std::string_view body) {
    FieldReader in(body);
    CellHeader header;
    header.row = in.u16();
    header.column = in.u16();
    header.format = in.u16();
    return header;
  }
  void emit(FieldWriter& out) const {
    out.u16(row);
    out.u16(column);
    out.u16(format);
  }
};

// LABELSST: text from the shared string table.
struct LabelSstRecord {
  static constexpr std::uint16_t kId = rec::kLabelSst;
  static constexpr std::size_t kSize = 10;

  CellHeader cell;
  std::uint32_t string_index = 0;

  static std::optional<LabelSstRecord> parse(std::string_view body);
  std::string emit() const;
};

// RK: a number in the 30-bit RK form (rk_number.h).
struct RkRecord {
  static constexpr std::uint16_t kId = rec::kRk;
  static constexpr std::size_t kSize = 10;

  CellHeader cell;
  std::uint32_t rk = 0;

  static std::optional<RkRecord> parse(std::string_view body);
  std::string emit() const;
};

// NUMBER: a number that needs all 64 bits.
struct NumberRecord {
  static constexpr std::uint16_t kId = rec::kNumber;
  static constexpr std::size_t kSize = 14;

  CellHeader cell;
  double value = 0;

  static std::optional<NumberRecord> parse(std::string_view body);
  std::string emit() const;
};

// BOOLERR: a boolean, or an error value (#DIV/0!, ...) by its code.
struct BoolErrRecord {
  static constexpr std::uint16_t kId = rec::kBoolErr;
  static constexpr std::size_t kSize = 8;

  CellHeader cell;
  std::uint8_t value = 0;  // 0 or 1 for a boolean, else the error code
  bool is_error = false;

  static std::optional<BoolErrRecord> parse(std::string_view body);
  std::string emit() const;
};

// BLANK: a cell with a format and no value.
struct BlankRecord {
  static constexpr std::uint16_t kId = rec::kBlank;

  CellHeader cell;

  std::string emit() const;
};

// MULRK and MULBLANK: a run of cells in one row, each with its own cell format and, in a
// MULRK, its RK number; the run's last column closes the record.
struct CellRunRecord {
  static constexpr std::size_t kMinSize = 6;  // row, first column, last column

  std::uint16_t id = rec::kMulBlank;  // kMulRk or kMulBlank
  std::uint16_t row = 0;
  std::uint16_t first_column = 0;
  std::string_view cells;  // per cell: format, then for a MULRK the RK number
  std::uint16_t last_column = 0;

  std::size_t cell_size() const { return id == rec::kMulRk ? 6 : 2; }
  std::size_t count() const { return cells.size() / cell_size(); }
  // True when the run holds cells and its last column is its first plus their number.
  bool consistent() const;
  // Of cell k of the run, from 0.
  std::uint16_t format(std::size_t k) const;
  std::uint32_t rk(std::size_t k) const;  // a MULRK's only

  // Empty for a body too short or with a part of a cell left over.
  static std::optional<CellRunRecord> parse(std::uint16_t id, std::string_view body);
  // Columns [from, to] of the run as a record of its own: an RK or BLANK for one cell,
  // a MULRK or MULBLANK for more. Returns its id; appends its body.
  std::uint16_t emit_part(std::uint16_t from, std::uint16_t to, std::string& body) const;
};

}  // namespace xls
