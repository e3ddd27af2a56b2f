#pragma once
// Calendar dates and serial numbers as formulas compute with them: the 1900 system with its
// day 0 (0 January 1900) and its day 60 (29 February 1900), and the 1904 system.

namespace xls::formula {

struct CivilDate {
  int year = 1900, month = 1, day = 0;
};

// The date of a whole serial (the caller checks it is not negative).
CivilDate civil_date(long serial, bool date1904);

// The serial of a year, month and day that may run over (month 14, day 0, day -5 count on
// from the first of the month), as DATE computes it; 1900 has its 29 February.
long serial_of(int year, int month, int day, bool date1904);

// Days in a month of the system's calendar (February 1900 has 29).
int days_in_month(int year, int month);

// The largest serial the systems know (31 December 9999).
long last_serial(bool date1904);

}  // namespace xls::formula
