#pragma once
// Times and dates as typed with US-English settings: "8:30", "8:30:15.5", "8:30 PM",
// "3/5/2024", "2024-03-05", "5-Mar-2024", "Mar 5, 2024", "Mar-24", "12/2024", each date
// optionally followed by a time.

#include <optional>
#include <string_view>

#include "xls/entry_scan.h"

namespace xls::entry {

// text has no blanks at either end. The value is a serial in the workbook's date system
// (date_1904) or a fraction of a day; a date without a year falls in current_year. The
// format is the built-in date or time code the entry implies.
std::optional<ReadValue> read_date_time(std::u16string_view text, bool date_1904, int current_year);

}  // namespace xls::entry
