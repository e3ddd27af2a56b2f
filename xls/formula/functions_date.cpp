// Dates and times: serials from parts and parts from serials in the workbook's date system,
// the clock (NOW, TODAY), DAYS360, texts read as dates and times, and the add-ins EDATE and
// EOMONTH.

#include <cmath>

#include "xls/entry_scan.h"
#include "xls/formula/function_support.h"
#include "xls/formula/serial_date.h"
#include "xls/typed_entry_date_time.h"

namespace xls::formula {
namespace {

constexpr double kSecondsPerDay = 86400;
constexpr long kDays1900To1904 = 1462;

// A serial argument: a date the system holds, else #NUM!.
Got<double> serial_argument(const Value& argument, Context& context) {
  const auto serial = number_of(argument, context);
  if (!serial.ok()) return serial;
  if (serial.value < 0 || serial.value >= last_serial(context.date1904()) + 1.0) {
    return Error{ErrorCode::num};
  }
  return serial;
}

Got<CivilDate> date_of(const Value& argument, Context& context) {
  const auto serial = serial_argument(argument, context);
  if (!serial.ok()) return *serial.error;
  return civil_date(static_cast<long>(std::floor(serial.value)), context.date1904());
}

template <int CivilDate::*Part>
Value date_part(std::span<const Value> arguments, Context& context) {
  const auto date = date_of(arguments[0], context);
  if (!date.ok()) return *date.error;
  return static_cast<double>(date.value.*Part);
}

// HOUR, MINUTE, SECOND: of the time of day rounded to the second.
template <int Unit, int Modulo>
Value time_part(std::span<const Value> arguments, Context& context) {
  const auto serial = serial_argument(arguments[0], context);
  if (!serial.ok()) return *serial.error;
  const double fraction = serial.value - std::floor(serial.value);
  const double seconds = std::fmod(std::round(fraction * kSecondsPerDay), kSecondsPerDay);
  return std::fmod(std::floor(seconds / Unit), Modulo);
}

// A date's serial, or #NUM! outside the system.
Value checked_serial(long serial, Context& context) {
  if (serial < 0 || serial > last_serial(context.date1904())) return error_value(ErrorCode::num);
  return static_cast<double>(serial);
}

// DATE(year, month, day): years 0 to 1899 count from 1900; months and days run over.
Value date(std::span<const Value> arguments, Context& context) {
  double parts[3];
  for (std::size_t i = 0; i < 3; ++i) {
    const auto n = integer_of(arguments[i], context);
    if (!n.ok()) return *n.error;
    parts[i] = n.value;
  }
  double year = parts[0];
  if (year < 0 || year >= 10000 || std::fabs(parts[1]) > 1e6 || std::fabs(parts[2]) > 1e8) {
    return error_value(ErrorCode::num);
  }
  if (year < 1900) year += 1900;
  return checked_serial(serial_of(static_cast<int>(year), static_cast<int>(parts[1]),
                                  static_cast<int>(parts[2]), context.date1904()),
                        context);
}

// TIME(hour, minute, second): the time of day (whole days dropped); negative #NUM!.
Value time(std::span<const Value> arguments, Context& context) {
  double seconds = 0;
  constexpr double kUnits[] = {3600, 60, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto n = integer_of(arguments[i], context);
    if (!n.ok()) return *n.error;
    seconds += n.value * kUnits[i];
  }
  if (seconds < 0) return error_value(ErrorCode::num);
  return std::fmod(seconds, kSecondsPerDay) / kSecondsPerDay;
}

// WEEKDAY(serial, [type = 1]): 1 Sunday to 7 Saturday (1), 1 Monday to 7 Sunday (2), 0 Monday
// to 6 Sunday (3).
Value weekday(std::span<const Value> arguments, Context& context) {
  const auto serial = serial_argument(arguments[0], context);
  if (!serial.ok()) return *serial.error;
  double type = 1;
  if (has_argument(arguments, 1)) {
    const auto n = integer_of(arguments[1], context);
    if (!n.ok()) return *n.error;
    type = n.value;
  }
  // 0 is Sunday; serial 0 of the 1900 system is a Saturday, of the 1904 system a Friday.
  const auto day = static_cast<long>(std::floor(serial.value));
  const long sunday_based = (day + (context.date1904() ? 5 : 6)) % 7;
  if (type == 1) return static_cast<double>(sunday_based + 1);
  if (type == 2) return static_cast<double>((sunday_based + 6) % 7 + 1);
  if (type == 3) return static_cast<double>((sunday_based + 6) % 7);
  return error_value(ErrorCode::num);
}

double now_serial(Context& context) {
  return context.now() - (context.date1904() ? kDays1900To1904 : 0);
}

Value now(std::span<const Value>, Context& context) {
  return now_serial(context);
}

Value today(std::span<const Value>, Context& context) {
  return std::floor(now_serial(context));
}

// DAYS360(start, end, [european = FALSE]): days between the dates in a year of twelve
// 30-day months. The US method takes the last day of February and day 31 as day 30, and an
// end on day 31 as day 30 only when the start is on day 30 (after that adjustment).
Value days360(std::span<const Value> arguments, Context& context) {
  const auto start = date_of(arguments[0], context);
  if (!start.ok()) return *start.error;
  const auto end = date_of(arguments[1], context);
  if (!end.ok()) return *end.error;
  bool european = false;
  if (has_argument(arguments, 2)) {
    const auto flag = boolean_of(arguments[2], context);
    if (!flag.ok()) return *flag.error;
    european = flag.value;
  }
  CivilDate a = start.value, b = end.value;
  if (a.day == 31) {
    a.day = 30;
  } else if (!european && a.month == 2 && a.day == days_in_month(a.year, 2)) {
    a.day = 30;
  }
  if (b.day == 31 && (european || a.day == 30)) b.day = 30;
  return static_cast<double>((b.year - a.year) * 360 + (b.month - a.month) * 30 + b.day - a.day);
}

std::optional<double> moment_of(const Value& argument, Context& context) {
  const Value v = single_value(argument, context);
  const auto* text = std::get_if<std::u16string>(&v);
  if (!text) return std::nullopt;
  const int year = civil_date(static_cast<long>(std::floor(context.now())), false).year;
  const auto read = entry::read_date_time(entry::trim_blanks(*text), context.date1904(), year);
  if (!read) return std::nullopt;
  return read->value;
}

// DATEVALUE and TIMEVALUE: a text's date (the time dropped) or time of day (the date dropped).
template <bool Date>
Value text_moment(std::span<const Value> arguments, Context& context) {
  const Value v = single_value(arguments[0], context);
  if (is_error(v)) return v;
  const auto moment = moment_of(v, context);
  if (!moment) return error_value(ErrorCode::value);
  return Date ? std::floor(*moment) : *moment - std::floor(*moment);
}

// EDATE and EOMONTH(start, months): the same day (at most the month's last) or the last day
// of the month that many months on.
template <bool EndOfMonth>
Value months_on(std::span<const Value> arguments, Context& context) {
  const auto start = date_of(arguments[0], context);
  if (!start.ok()) return *start.error;
  const auto months = integer_of(arguments[1], context);
  if (!months.ok()) return *months.error;
  if (std::fabs(months.value) > 120000) return error_value(ErrorCode::num);
  const int total = start.value.year * 12 + start.value.month - 1 + static_cast<int>(months.value);
  if (total < 0) return error_value(ErrorCode::num);
  const int year = total / 12, month = total % 12 + 1;
  if (year > 9999) return error_value(ErrorCode::num);
  const int last = days_in_month(year, month);
  const int day = EndOfMonth ? last : std::min(start.value.day, last);
  return checked_serial(serial_of(year, month, day, context.date1904()), context);
}

constexpr NumberedFunction kFunctions[] = {
    {65, at_least<date, 3>},
    {66, at_least<time, 3>},
    {67, at_least<date_part<&CivilDate::day>, 1>},
    {68, at_least<date_part<&CivilDate::month>, 1>},
    {69, at_least<date_part<&CivilDate::year>, 1>},
    {70, at_least<weekday, 1>},
    {71, at_least<time_part<3600, 24>, 1>},
    {72, at_least<time_part<60, 60>, 1>},
    {73, at_least<time_part<1, 60>, 1>},
    {74, now},
    {140, at_least<text_moment<true>, 1>},
    {141, at_least<text_moment<false>, 1>},
    {220, at_least<days360, 2>},
    {221, today},
};

constexpr NamedFunction kAddIns[] = {
    {u"EDATE", at_least<months_on<false>, 2>},
    {u"EOMONTH", at_least<months_on<true>, 2>},
};

}  // namespace

std::span<const NumberedFunction> date_functions() {
  return kFunctions;
}

std::span<const NamedFunction> date_add_in_functions() {
  return kAddIns;
}

}  // namespace xls::formula
