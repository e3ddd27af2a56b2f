#include "xls/date_serial.h"

namespace xls {
namespace {

bool leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1970-01-01 of a Gregorian date (years from 1 on).
long days_from_civil(int year, int month, int day) {
  year -= month <= 2;
  const long era = year / 400;
  const long year_of_era = year - era * 400;
  const long day_of_year = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

}  // namespace

bool day_exists(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  return day <= kDays[month - 1] + (month == 2 && leap(year) ? 1 : 0);
}

std::optional<int> date_serial(int year, int month, int day, bool date_1904) {
  if (year > 9999) return std::nullopt;
  if (date_1904) {
    if (year < 1904 || !day_exists(year, month, day)) return std::nullopt;
    return static_cast<int>(days_from_civil(year, month, day) - days_from_civil(1904, 1, 1));
  }
  if (year < 1900) return std::nullopt;
  if (year == 1900 && month == 2 && day == 29) return 60;
  if (!day_exists(year, month, day)) return std::nullopt;
  const long serial = days_from_civil(year, month, day) - days_from_civil(1899, 12, 31);
  // From March 1900 on every serial is one higher for the extra leap day.
  return static_cast<int>(year == 1900 && month <= 2 ? serial : serial + 1);
}

}  // namespace xls
