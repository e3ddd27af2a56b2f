#pragma once
// Which formulas a save computes: those whose cells changed (a new formula), those reading a
// changed cell, directly or through other formulas, and the volatile ones.

#include <cstdint>
#include <vector>

#include "xls/formula/formula_names.h"
#include "xls/formula_cells.h"

namespace xls {

// One flag per formula of the model.
std::vector<bool> formulas_to_compute(const CellModel& model, std::vector<CellKey> changed,
                                      const formula::FormulaNames& names);

}  // namespace xls
