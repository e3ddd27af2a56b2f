#pragma once
// The cells of every worksheet as the formula engine reads them: each value, and for a
// formula cell its tokens as the cell means them (a shared formula translated to the cell)
// and the result the file stores for it.

#include <cstdint>
#include <string>
#include <vector>

#include "xls/formula/value.h"
#include "xls/workbook_state.h"

namespace xls {

struct FormulaCell {
  std::uint16_t sheet = 0, row = 0, column = 0;
  std::string tokens;
  std::string extra;
  bool array_formula = false;  // a single-cell array formula
  // Why the engine cannot compute it from its shape (part of a data table, of an array over
  // several cells, a shared formula that is missing), or null.
  const char* not_computable = nullptr;
  formula::Value stored;  // the result the file holds: blank, number, text, boolean or error
};

// One sheet's cells by row and column, from 0.
class SheetCells {
 public:
  static constexpr std::int32_t kNoFormula = -1;

  struct Slot {
    formula::Value value;               // of a constant cell
    std::int32_t formula = kNoFormula;  // of a formula cell: its index in CellModel::formulas
  };
  // The cell, or null where the sheet has none.
  const Slot* slot(std::uint16_t row, std::uint16_t column) const {
    if (row >= rows_.size() || column >= rows_[row].size()) return nullptr;
    return &rows_[row][column];
  }
  void set(std::uint16_t row, std::uint16_t column, formula::Value value, std::int32_t formula);

 private:
  std::vector<std::vector<Slot>> rows_;
};

struct CellModel {
  std::vector<SheetCells> sheets;  // by the workbook's sheet index
  std::vector<FormulaCell> formulas;
};

// Reads every worksheet: its edited cell table where it has one, else its records as read.
CellModel read_cell_model(const Workbook::State& state);

}  // namespace xls
