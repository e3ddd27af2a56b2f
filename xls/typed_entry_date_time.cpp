#include "xls/typed_entry_date_time.h"

#include <array>
#include <charconv>
#include <string>

#include "xls/date_serial.h"

namespace xls::entry {
namespace {

constexpr double kSecondsPerDay = 86400;
// The longest time the application takes as typed is 9999:59:59.
constexpr double kLongestTime = 10000 * 3600.0;

struct Time {
  double seconds = 0;
  bool with_seconds = false;
  bool fraction = false;  // a fraction of a second was typed
  bool clock12 = false;   // AM or PM was typed
};

// "5" and "25" of "12:30:25.5": the seconds as a double.
std::optional<double> seconds_with_fraction(std::u16string_view whole,
                                            std::u16string_view fraction) {
  if (fraction.empty()) return digits_value(whole);
  std::string digits(whole.begin(), whole.end());
  digits += '.';
  digits.append(fraction.begin(), fraction.end());
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// "AM", "PM", "A" or "P" in any case, after optional blanks; nullopt for other letters.
// Sets pm. An absent marker is a marker of none (returns false).
std::optional<bool> read_clock_marker(Cursor& cursor, bool& pm) {
  const auto before = cursor.position();
  cursor.blanks();
  const auto word = cursor.letters();
  if (word.empty()) {
    cursor.rewind(before);
    return false;
  }
  if (same_word(word, "am") || same_word(word, "a")) return true;
  pm = true;
  if (same_word(word, "pm") || same_word(word, "p")) return true;
  return std::nullopt;
}

// "h:mm", "h:mm:ss", "h:mm:ss.f", "m:ss.f" (two parts with a fraction are minutes and
// seconds), each optionally followed by AM/PM, or "h AM".
std::optional<Time> read_time(std::u16string_view text) {
  Cursor cursor(text);
  const auto first = cursor.digits();
  if (first.empty() || first.size() > 6) return std::nullopt;
  const double leading = digits_value(first);
  Time time;
  bool minutes_first = false;
  const bool hour_only = !cursor.take(u':');
  if (!hour_only) {
    const auto second = cursor.digits();
    if (second.empty() || second.size() > 2 || digits_value(second) >= 60) return std::nullopt;
    if (cursor.take(u':')) {
      const auto third = cursor.digits();
      if (third.empty() || third.size() > 2 || digits_value(third) >= 60) return std::nullopt;
      std::u16string_view fraction;
      if (cursor.take(u'.')) {
        fraction = cursor.digits();
        if (fraction.empty()) return std::nullopt;
      }
      const auto seconds = seconds_with_fraction(third, fraction);
      if (!seconds) return std::nullopt;
      time.seconds = leading * 3600 + digits_value(second) * 60 + *seconds;
      time.with_seconds = true;
      time.fraction = !fraction.empty();
    } else if (cursor.take(u'.')) {
      const auto fraction = cursor.digits();
      if (fraction.empty()) return std::nullopt;
      const auto seconds = seconds_with_fraction(second, fraction);
      if (!seconds) return std::nullopt;
      time.seconds = leading * 60 + *seconds;
      time.with_seconds = time.fraction = minutes_first = true;
    } else {
      time.seconds = leading * 3600 + digits_value(second) * 60;
    }
  }
  bool pm = false;
  const auto marker = read_clock_marker(cursor, pm);
  if (!marker || !cursor.at_end()) return std::nullopt;
  time.clock12 = *marker;
  if (hour_only) {
    if (!time.clock12) return std::nullopt;
    time.seconds = leading * 3600;
  }
  if (time.clock12) {
    if (minutes_first || leading > 12) return std::nullopt;
    // 12 AM is midnight, 12 PM noon.
    const double hour = (leading == 12 ? 0 : leading) + (pm ? 12 : 0);
    time.seconds += (hour - leading) * 3600;
  }
  if (time.seconds >= kLongestTime) return std::nullopt;
  return time;
}

std::u16string_view time_format(const Time& time) {
  if (time.seconds >= kSecondsPerDay) return u"[h]:mm:ss";
  if (time.fraction) return u"mm:ss.0";
  if (time.clock12) return time.with_seconds ? u"h:mm:ss AM/PM" : u"h:mm AM/PM";
  return time.with_seconds ? u"h:mm:ss" : u"h:mm";
}

// One part of a date: a number or an English month name.
struct Part {
  bool month_name = false;
  int value = 0;
  std::size_t digit_count = 0;
};

int month_of(std::u16string_view word) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (same_word(word, kNames[i]) || same_word(word, kNames[i].substr(0, 3))) return i + 1;
  }
  return same_word(word, "sept") ? 9 : 0;
}

// Up to three parts, each pair joined by "/", "-", blanks, or "," with optional blanks.
// separators[i] is the separator after part i (' ' for blanks).
struct DateParts {
  std::array<Part, 3> parts;
  std::array<char16_t, 2> separators{};
  std::size_t count = 0;
};

std::optional<DateParts> split_date(std::u16string_view text) {
  DateParts date;
  Cursor cursor(text);
  while (true) {
    if (date.count == date.parts.size()) return std::nullopt;
    Part& part = date.parts[date.count++];
    if (const auto digits = cursor.digits(); !digits.empty()) {
      if (digits.size() > 4) return std::nullopt;
      part.value = digits_value(digits);
      part.digit_count = digits.size();
    } else {
      part.month_name = true;
      part.value = month_of(cursor.letters());
      if (part.value == 0) return std::nullopt;
    }
    if (cursor.at_end()) return date;
    if (date.count == date.parts.size()) return std::nullopt;
    char16_t& separator = date.separators[date.count - 1];
    if (cursor.take(u'/')) {
      separator = u'/';
    } else if (cursor.take(u'-')) {
      separator = u'-';
    } else if (cursor.take(u',')) {
      separator = u',';
      cursor.blanks();
    } else if (cursor.blanks() > 0) {
      separator = u' ';
    } else {
      return std::nullopt;
    }
  }
}

// Two-digit years: 00-29 are 2000-2029, 30-99 are 1930-1999.
std::optional<int> year_of(const Part& part) {
  if (part.month_name) return std::nullopt;
  if (part.digit_count <= 2) return part.value + (part.value < 30 ? 2000 : 1900);
  if (part.digit_count == 4) return part.value;
  return std::nullopt;
}

bool short_number(const Part& part) {
  return !part.month_name && part.digit_count <= 2;
}
bool numeric_separator(char16_t c) {
  return c == u'/' || c == u'-';
}
bool name_separator(char16_t c) {
  return c == u'-' || c == u' ';
}

struct CalendarDay {
  std::optional<int> year;
  int month = 0;
  int day = 0;
  std::u16string_view format;
};

// A month and one more number ("3/5", "Mar 5"): a day of this year when it is a day of
// that month; otherwise the number is a year and the date the first of that month
// ("12/2024", "1/50", "2/30", "Dec 32").
CalendarDay day_or_year(int month, const Part& number, int current_year) {
  if (short_number(number) && day_exists(current_year, month, number.value)) {
    return CalendarDay{current_year, month, number.value, u"d-mmm"};
  }
  return CalendarDay{year_of(number), month, 1, u"mmm-yy"};
}

// Matches the parts against the date shapes the application reads in US order.
std::optional<CalendarDay> calendar_day(const DateParts& date, int current_year) {
  const auto& [a, b, c] = date.parts;
  const auto [s1, s2] = date.separators;
  if (date.count == 3 && !a.month_name && !b.month_name && !c.month_name) {
    if (s1 != s2 || !numeric_separator(s1)) return std::nullopt;
    if (a.digit_count == 4 && short_number(b) && short_number(c)) {
      return CalendarDay{a.value, b.value, c.value, u"m/d/yyyy"};  // yyyy/m/d
    }
    if (!short_number(a) || !short_number(b)) return std::nullopt;
    return CalendarDay{year_of(c), a.value, b.value, u"m/d/yyyy"};
  }
  if (date.count == 2 && !a.month_name && !b.month_name) {
    if (!numeric_separator(s1) || !short_number(a)) return std::nullopt;
    return day_or_year(a.value, b, current_year);  // m/d of this year, else m/yyyy
  }
  if (!a.month_name && short_number(a) && b.month_name && name_separator(s1)) {
    if (date.count == 2) return CalendarDay{current_year, b.value, a.value, u"d-mmm"};
    if (!name_separator(s2)) return std::nullopt;
    return CalendarDay{year_of(c), b.value, a.value, u"d-mmm-yy"};  // d-mmm-yyyy
  }
  if (a.month_name && !b.month_name && name_separator(s1)) {
    if (date.count == 3) {
      if (!short_number(b) || !(name_separator(s2) || s2 == u',')) return std::nullopt;
      return CalendarDay{year_of(c), a.value, b.value, u"d-mmm-yy"};  // mmm d, yyyy
    }
    return day_or_year(a.value, b, current_year);
  }
  return std::nullopt;
}

std::optional<ReadValue> read_date(std::u16string_view text, bool date_1904, int current_year) {
  const auto parts = split_date(text);
  if (!parts) return std::nullopt;
  const auto day = calendar_day(*parts, current_year);
  if (!day || !day->year) return std::nullopt;
  const auto serial = date_serial(*day->year, day->month, day->day, date_1904);
  if (!serial) return std::nullopt;
  return ReadValue{static_cast<double>(*serial), day->format};
}

}  // namespace

std::optional<ReadValue> read_date_time(std::u16string_view text, bool date_1904,
                                        int current_year) {
  if (const auto time = read_time(text)) {
    return ReadValue{time->seconds / kSecondsPerDay, time_format(*time)};
  }
  if (const auto date = read_date(text, date_1904, current_year)) return date;
  // A date followed by a time: try each blank as the place where the time begins.
  for (auto blank = text.rfind(u' '); blank != std::u16string_view::npos && blank > 0;
       blank = text.rfind(u' ', blank - 1)) {
    if (!is_digit(text[blank + 1])) continue;  // a time begins with a digit
    const auto time = read_time(trim_blanks(text.substr(blank + 1)));
    if (!time) continue;
    const auto date = read_date(trim_blanks(text.substr(0, blank)), date_1904, current_year);
    if (!date) continue;
    return ReadValue{date->value + time->seconds / kSecondsPerDay, u"m/d/yyyy h:mm"};
  }
  return std::nullopt;
}

}  // namespace xls::entry
