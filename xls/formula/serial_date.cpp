#include "xls/formula/serial_date.h"

namespace xls::formula {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long days_from_civil(long year, int month, int day) {
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long year_of_era = year - era * 400;
  const long day_of_year = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

CivilDate civil_from_days(long days) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long day_of_era = days - era * 146097;
  const long year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const long mp = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(year_of_era + era * 400 + (month <= 2)), month, day};
}

const long kDay0Of1900 = days_from_civil(1899, 12, 31);
const long kDay0Of1904 = days_from_civil(1904, 1, 1);

}  // namespace

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 || year == 1900;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

CivilDate civil_date(long serial, bool date1904) {
  if (date1904) return civil_from_days(kDay0Of1904 + serial);
  if (serial == 0) return {1900, 1, 0};
  if (serial == 60) return {1900, 2, 29};
  return civil_from_days(kDay0Of1900 + (serial > 60 ? serial - 1 : serial));
}

long serial_of(int year, int month, int day, bool date1904) {
  long months = static_cast<long>(year) * 12 + (month - 1);
  const long whole_year = months >= 0 ? months / 12 : (months - 11) / 12;
  const int first_month = static_cast<int>(months - whole_year * 12) + 1;
  const long first = days_from_civil(whole_year, first_month, 1);
  if (date1904) return first - kDay0Of1904 + day - 1;
  long serial = first - kDay0Of1900;
  // From March 1900 on the serials count the 29 February 1900 the system has.
  if (whole_year > 1900 || (whole_year == 1900 && first_month > 2)) ++serial;
  return serial + day - 1;
}

long last_serial(bool date1904) {
  return serial_of(9999, 12, 31, date1904);
}

}  // namespace xls::formula
