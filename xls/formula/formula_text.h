#pragma once
// A formula's text as the spreadsheet application shows it in US English: "=" and then A1
// references ($ for fixed parts), other sheets as Sheet2!A1 or 'Other sheet'!A1, defined
// names, functions by name, constants, operators, the parentheses and blanks the author
// typed (the tokens keep them), array constants as {1,2;3,4}.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xls/formula/formula_names.h"

namespace xls::formula {

// The text of the cell formula `tokens` (with its extra data) at (row, column) from 0, which
// resolves the relative references of defined names and shared formulas. Empty when the
// tokens cannot be walked or hold what no text shows (a reference to a shared formula,
// a function of unknown number and count, an operator without its operands).
std::optional<std::u16string> formula_text(std::string_view tokens, std::string_view extra,
                                           const FormulaNames& names, std::uint16_t row,
                                           std::uint16_t column);

// The parts of a reference's text, shared with the compiler.
std::u16string column_letters(std::uint16_t column);
// A sheet name as a reference writes it: in apostrophes (doubled inside) unless it is a
// plain word that cannot be mistaken for a cell or a number.
std::u16string quoted_sheet(std::u16string_view name);
// A number constant: up to 15 significant digits, as the application shows it in formulas.
std::u16string number_text(double value);
// "#DIV/0!" and the others, by error code; empty for an unknown code.
std::u16string_view error_text(std::uint8_t code);

}  // namespace xls::formula
