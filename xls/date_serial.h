#pragma once
// Calendar dates as the spreadsheet's serial numbers, in either of its date systems.

#include <optional>

namespace xls {

// The serial of year-month-day, or nullopt for a day that does not exist or lies outside
// the system: the 1900 system counts 1900-01-01 as 1 and keeps the 29 February 1900 that
// never was (serial 60); the 1904 system counts 1904-01-01 as 0. Both end at 9999-12-31.
std::optional<int> date_serial(int year, int month, int day, bool date_1904);

// Whether the day exists in that month (the Gregorian calendar).
bool day_exists(int year, int month, int day);

}  // namespace xls
