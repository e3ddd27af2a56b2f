#include "xls/formula/function_arity.h"

#include <algorithm>
#include <array>
#include <utility>

namespace xls::formula {

std::optional<std::size_t> fixed_argument_count(std::uint16_t number) {
  // Function number and argument count of the fixed-count functions the engine computes.
  static constexpr std::array<std::pair<std::uint16_t, std::uint8_t>, 74> kCounts{{
      {2, 1},    // ISNA
      {3, 1},    // ISERROR
      {10, 0},   // NA
      {15, 1},   // SIN
      {16, 1},   // COS
      {17, 1},   // TAN
      {18, 1},   // ATAN
      {19, 0},   // PI
      {20, 1},   // SQRT
      {21, 1},   // EXP
      {22, 1},   // LN
      {23, 1},   // LOG10
      {24, 1},   // ABS
      {25, 1},   // INT
      {26, 1},   // SIGN
      {27, 2},   // ROUND
      {30, 2},   // REPT
      {31, 3},   // MID
      {32, 1},   // LEN
      {33, 1},   // VALUE
      {34, 0},   // TRUE
      {35, 0},   // FALSE
      {38, 1},   // NOT
      {39, 2},   // MOD
      {48, 2},   // TEXT
      {63, 0},   // RAND
      {65, 3},   // DATE
      {66, 3},   // TIME
      {67, 1},   // DAY
      {68, 1},   // MONTH
      {69, 1},   // YEAR
      {71, 1},   // HOUR
      {72, 1},   // MINUTE
      {73, 1},   // SECOND
      {74, 0},   // NOW
      {76, 1},   // ROWS
      {77, 1},   // COLUMNS
      {97, 2},   // ATAN2
      {98, 1},   // ASIN
      {99, 1},   // ACOS
      {111, 1},  // CHAR
      {112, 1},  // LOWER
      {113, 1},  // UPPER
      {114, 1},  // PROPER
      {117, 2},  // EXACT
      {118, 1},  // TRIM
      {119, 4},  // REPLACE
      {121, 1},  // CODE
      {126, 1},  // ISERR
      {127, 1},  // ISTEXT
      {128, 1},  // ISNUMBER
      {129, 1},  // ISBLANK
      {130, 1},  // T
      {131, 1},  // N
      {140, 1},  // DATEVALUE
      {141, 1},  // TIMEVALUE
      {198, 1},  // ISLOGICAL
      {212, 2},  // ROUNDUP
      {213, 2},  // ROUNDDOWN
      {221, 0},  // TODAY
      {261, 1},  // ERROR.TYPE
      {285, 2},  // FLOOR
      {288, 2},  // CEILING
      {307, 2},  // CORREL
      {309, 3},  // FORECAST
      {311, 2},  // INTERCEPT
      {315, 2},  // SLOPE
      {325, 2},  // LARGE
      {326, 2},  // SMALL
      {337, 2},  // POWER
      {342, 1},  // RADIANS
      {343, 1},  // DEGREES
      {346, 2},  // COUNTIF
      {347, 1},  // COUNTBLANK
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
