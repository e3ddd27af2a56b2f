#pragma once
// What a date or time number format shows for a number: the built-in date and time formats
// and codes made of the same parts (d dd ddd dddd, m mm mmm mmmm mmmmm, yy yyyy, h hh, m mm
// for minutes after an hour or before seconds, s ss, [h] [m] [s] for elapsed time, AM/PM
// and A/P, .0 .00 .000 after seconds, quoted text, \-escaped characters and separators).
// Seconds are rounded to what the format shows, as spreadsheets do.

#include <optional>
#include <string>
#include <string_view>

namespace xls {

// Nothing for a code that is not a date or time format, and for a number the format cannot
// show (negative, or past 31 December 9999). `date_1904`: the workbook counts days from
// 1 January 1904; otherwise from 1 January 1900, with its day 60 the 29 February 1900 that
// spreadsheets have always counted.
std::optional<std::u16string> show_date_time(double serial, std::u16string_view code,
                                             bool date_1904);

}  // namespace xls
