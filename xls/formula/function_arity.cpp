#include "xls/formula/function_arity.h"

#include <algorithm>
#include <array>
#include <utility>

namespace xls::formula {

std::optional<std::size_t> fixed_argument_count(std::uint16_t number) {
  // Function number and argument count of the fixed-count functions met most.
  static constexpr std::array<std::pair<std::uint16_t, std::uint8_t>, 16> kCounts{{
      {2, 1},    // ISNA
      {3, 1},    // ISERROR
      {10, 0},   // NA
      {19, 0},   // PI
      {20, 1},   // SQRT
      {24, 1},   // ABS
      {25, 1},   // INT
      {27, 2},   // ROUND
      {32, 1},   // LEN
      {34, 0},   // TRUE
      {35, 0},   // FALSE
      {38, 1},   // NOT
      {39, 2},   // MOD
      {63, 0},   // RAND
      {74, 0},   // NOW
      {221, 0},  // TODAY
  }};
  const auto found = std::find_if(kCounts.begin(), kCounts.end(),
                                  [&](const auto& entry) { return entry.first == number; });
  if (found == kCounts.end()) return std::nullopt;
  return found->second;
}

bool volatile_function(std::uint16_t number) {
  // NOW, RAND, OFFSET, CELL, INDIRECT, TODAY, INFO.
  static constexpr std::array<std::uint16_t, 7> kVolatile{74, 63, 78, 125, 148, 221, 244};
  return std::find(kVolatile.begin(), kVolatile.end(), number) != kVolatile.end();
}

}  // namespace xls::formula
