#pragma once
// Computes a formula from its tokens: operands are pushed, operators and functions take
// them, as the application computes a cell. References stay references where the token's
// operand class asks for one (a function's reference argument); in value class a range
// meets the formula's row or column (implicit intersection); in array class, or anywhere in
// an array formula, it becomes an array of its values.

#include <stdexcept>
#include <string_view>

#include "xls/formula/formula_names.h"
#include "xls/formula/function_call.h"
#include "xls/formula/value.h"

namespace xls::formula {

// Thrown where the engine cannot compute a formula (a function it does not know, another
// workbook, a token it does not evaluate, a circular reference): the formula keeps the result
// it has stored, and so does every formula that reads it.
class NotComputable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FormulaSource {
  std::string_view tokens;  // references as the cell means them (shared formulas translated)
  std::string_view extra;
  bool array_formula = false;
};

// The formula's value before it lands in a cell: may still be a Reference or an Array.
Value evaluate(const FormulaSource& formula, Context& context, const FormulaNames& names);

// What a cell holding the formula shows: a reference met by the cell's row or column, the
// first value of an array, 0 for a blank.
Value cell_result(const Value& value, Context& context);

}  // namespace xls::formula
