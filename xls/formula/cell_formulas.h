#pragma once
// The formulas of a sheet's cells from its records: each FORMULA cell with the tokens that
// compute it, a cell of a shared formula with the shared tokens translated to it, a cell of
// an array formula with the array's tokens.

#include <cstdint>
#include <string>
#include <vector>

#include "xls/record_stream.h"

namespace xls::formula {

struct CellFormula {
  enum class Kind { cell, shared, array, table };
  std::uint16_t row = 0, column = 0;  // from 0
  Kind kind = Kind::cell;
  std::string tokens, extra;  // empty for a data table or tokens that cannot be resolved
};

// In record order; `records` are a sheet's own records (or the cell table's).
std::vector<CellFormula> cell_formulas(const std::vector<Record>& records);

}  // namespace xls::formula
