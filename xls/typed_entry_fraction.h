#pragma once
// Fractions typed with a whole part: "1 1/2", "0 3/16", "-2 5/8". The whole part is what
// makes the entry a fraction; "1/2" alone is a date.

#include <optional>
#include <string_view>

#include "xls/entry_scan.h"

namespace xls::entry {

// text has no blanks at either end. The value is the whole part plus the fraction, the
// sign applying to both; the format shows as many denominator digits as were typed
// ("# ?/?", "# ??/??", "# ???/???"). Longer denominators and a zero denominator are no
// fraction.
std::optional<ReadValue> read_fraction(std::u16string_view text);

}  // namespace xls::entry
