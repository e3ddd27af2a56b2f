#pragma once
// The cells a formula reads, found from its tokens without computing it: every reference
// and area (through defined names too), and whether it must be computed on every change
// (volatile functions, or references it builds while computing: OFFSET, INDIRECT).

#include <cstdint>
#include <string_view>
#include <vector>

#include "xls/formula/formula_names.h"
#include "xls/formula/value.h"

namespace xls::formula {

struct Precedents {
  std::vector<Reference> areas;
  // Computed whenever anything is: volatile, or reading cells its tokens do not name
  // (another sheet the names cannot resolve, tokens that cannot be read).
  bool always = false;
};

Precedents precedents_of(std::string_view tokens, std::string_view extra, std::uint16_t sheet,
                         std::uint16_t row, std::uint16_t column, const FormulaNames& names);

}  // namespace xls::formula
