#pragma once
// The operators of formulas on single values (blank, number, text, boolean, error): the
// arithmetic ones convert texts and booleans to numbers, comparisons order numbers before
// texts before booleans, & joins values as the cell would show them. The evaluator applies
// them value by value over arrays.

#include <cstdint>

#include "xls/formula/function_call.h"

namespace xls::formula {

// The sum and difference as the application keeps them: a result that cancels to within the
// last bits of its operands is exactly 0 (0.3-0.2-0.1 is 0).
double approximate_sum(double a, double b);

// `op` is one of ptg::kAdd ... ptg::kNe (tokens.h); a and b are single values. Texts in
// arithmetic read as typed entries do (numbers, fractions, dates, times).
Value binary_operation(std::uint8_t op, const Value& a, const Value& b, Context& context);
// ptg::kUplus, kUminus or kPercent.
Value unary_operation(std::uint8_t op, const Value& a, Context& context);

}  // namespace xls::formula
