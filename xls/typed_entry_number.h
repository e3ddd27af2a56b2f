#pragma once
// Numbers as typed with US-English settings: "1234.5", "-1,234", ".5", "2.5E-3", "12.5%",
// "$1,234.50", "(5)". The application keeps 15 significant digits.

#include <optional>
#include <string_view>

#include "xls/entry_scan.h"

namespace xls::entry {

// text has no blanks at either end. The format is the built-in code the entry implies:
// thousands, percent, scientific or currency; empty for a plain number.
std::optional<ReadValue> read_number(std::u16string_view text);

}  // namespace xls::entry
