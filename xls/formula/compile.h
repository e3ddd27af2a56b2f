#pragma once
// Compiles a formula text as the spreadsheet application takes it in US English ("=" first,
// commas between arguments, A1 references, 'Other sheet'!A1, the application's function
// names) into the tokens a FORMULA record stores, each operand in the class the application
// gives it (a reference passed as a reference, as one value or as an array, as the function
// it goes to expects).

#include <cstdint>
#include <string>
#include <string_view>

#include "xls/formula/formula_names.h"

namespace xls::formula {

struct CompiledFormula {
  std::string tokens, extra;
  bool is_volatile = false;  // calls NOW, RAND, OFFSET, ...: computed on every change
};

// The most bytes a cell formula's tokens take, and the longest formula text, in this format.
inline constexpr std::size_t kMaxTokenBytes = 1800;
inline constexpr std::size_t kMaxFormulaLength = 1024;

// `sheet`, `row` and `column` (from 0) are the cell's: its sheet's own names come first.
// References to other sheets take entries of `names`, added when missing. Throws
// xls::Error (ErrorKind::refused) with the application's message and what is wrong for a
// text that is no formula, names what the workbook lacks, or exceeds the format's limits.
CompiledFormula compile_formula(std::u16string_view text, CompileNames& names, std::uint16_t sheet,
                                std::uint16_t row, std::uint16_t column);

}  // namespace xls::formula
