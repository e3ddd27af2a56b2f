#pragma once
// Computing formulas on save: the formulas that changed cells affect (and the volatile
// ones) are computed in the order they read each other, and their results stored in their
// FORMULA records. A formula the engine cannot compute keeps its stored result, and so does
// every formula that reads it.

#include "xls/workbook_state.h"

namespace xls {

// Stores the new results in the state's cell tables; returns how many formulas it computed.
std::size_t compute_formulas(Workbook::State& state);

}  // namespace xls
