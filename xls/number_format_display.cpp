#include "xls/number_format_display.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "xls/text.h"

namespace xls {

namespace {

enum class Part {
  literal,
  year,
  month,
  day,
  hour,
  minute,
  second,
  elapsed_hours,
  elapsed_minutes,
  elapsed_seconds,
  am_pm,
  fraction
};

struct Token {
  Part part;
  std::size_t width = 0;  // letters or digits
  std::u16string text;    // a literal's text; the AM/PM or A/P as written
};

constexpr std::array<std::u16string_view, 12> kMonths{
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};
constexpr std::array<std::u16string_view, 7> kDays{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                   u"Thursday", u"Friday", u"Saturday"};
constexpr std::u16string_view kSeparators = u" -/:,()+$!^&'~{}<>=";
constexpr std::int64_t kLastDay1900 = 2958465;  // 31 December 9999
constexpr std::int64_t kLastDay1904 = 2957003;

void add_literal(std::vector<Token>& tokens, std::u16string_view text) {
  if (tokens.empty() || tokens.back().part != Part::literal)
    tokens.push_back({Part::literal, 0, {}});
  tokens.back().text += text;
}

// "[h]", "[mm]", "[ss]": elapsed time; "[$€-407]": a currency or locale tag; "[Red]": a
// colour. Conditions ("[<1]") make a format this display does not handle.
bool read_bracket(std::u16string_view inner, std::vector<Token>& tokens) {
  if (inner.empty()) return false;
  const char16_t first = fold_case(inner[0]);
  if ((first == u'h' || first == u'm' || first == u's') &&
      std::all_of(inner.begin(), inner.end(), [&](char16_t c) { return fold_case(c) == first; })) {
    const Part part = first == u'h'   ? Part::elapsed_hours
                      : first == u'm' ? Part::elapsed_minutes
                                      : Part::elapsed_seconds;
    tokens.push_back({part, inner.size(), {}});
    return true;
  }
  if (inner[0] == u'$') {
    add_literal(tokens, inner.substr(1, inner.find(u'-') - 1));
    return true;
  }
  return std::all_of(inner.begin(), inner.end(), [](char16_t c) {
    return (fold_case(c) >= u'a' && fold_case(c) <= u'z') || (c >= u'0' && c <= u'9');
  });
}

// The parts of the code's first section (the one for numbers from zero up); nothing when
// it holds anything a date or time format does not.
std::optional<std::vector<Token>> parse(std::u16string_view code) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < code.size() && code[i] != u';';) {
    const char16_t c = code[i];
    const char16_t l = fold_case(c);
    if (c == u'"') {
      const std::size_t end = code.find(u'"', i + 1);
      if (end == std::u16string_view::npos) return std::nullopt;
      add_literal(tokens, code.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == u'\\' || c == u'_' || c == u'*') {
      if (i + 1 >= code.size()) return std::nullopt;
      // An escaped character; a blank as wide as a character; a fill (nothing here).
      if (c != u'*') add_literal(tokens, c == u'\\' ? code.substr(i + 1, 1) : u" ");
      i += 2;
    } else if (c == u'[') {
      const std::size_t end = code.find(u']', i);
      if (end == std::u16string_view::npos ||
          !read_bracket(code.substr(i + 1, end - i - 1), tokens))
        return std::nullopt;
      i = end + 1;
    } else if (equal_ignoring_case(code.substr(i, 5), u"am/pm") ||
               equal_ignoring_case(code.substr(i, 3), u"a/p")) {
      const std::size_t length = fold_case(code[i + 1]) == u'm' ? 5 : 3;
      tokens.push_back({Part::am_pm, 0, std::u16string(code.substr(i, length))});
      i += length;
    } else if (l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u's') {
      std::size_t end = i;
      while (end < code.size() && fold_case(code[end]) == l) ++end;
      const Part part = l == u'y'   ? Part::year
                        : l == u'm' ? Part::month
                        : l == u'd' ? Part::day
                        : l == u'h' ? Part::hour
                                    : Part::second;
      tokens.push_back({part, end - i, {}});
      i = end;
    } else if (c == u'.' && i + 1 < code.size() && code[i + 1] == u'0') {
      std::size_t end = i + 1;
      while (end < code.size() && code[end] == u'0') ++end;
      if (end - i - 1 > 3) return std::nullopt;
      tokens.push_back({Part::fraction, end - i - 1, {}});
      i = end;
    } else if (c == u'.' || kSeparators.find(c) != std::u16string_view::npos) {
      add_literal(tokens, code.substr(i, 1));
      ++i;
    } else {
      return std::nullopt;  // digit placeholders, @, other letters: not a date or time format
    }
  }
  // "m" and "mm" are minutes right after an hour or right before seconds.
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    if (tokens[k].part != Part::month || tokens[k].width > 2) continue;
    std::size_t before = k;
    while (before > 0 && tokens[before - 1].part == Part::literal) --before;
    std::size_t after = k + 1;
    while (after < tokens.size() && tokens[after].part == Part::literal) ++after;
    const bool after_hour = before > 0 && (tokens[before - 1].part == Part::hour ||
                                           tokens[before - 1].part == Part::elapsed_hours);
    const bool before_second =
        after < tokens.size() &&
        (tokens[after].part == Part::second || tokens[after].part == Part::elapsed_seconds);
    if (after_hour || before_second) tokens[k].part = Part::minute;
  }
  bool seconds_seen = false;
  bool any = false;
  for (const Token& token : tokens) {
    if (token.part == Part::fraction && !seconds_seen) return std::nullopt;
    seconds_seen =
        seconds_seen || token.part == Part::second || token.part == Part::elapsed_seconds;
    any = any || token.part != Part::literal;
  }
  if (!any) return std::nullopt;
  return tokens;
}

struct Date {
  std::int64_t year;
  int month, day, weekday;  // weekday: 0 Sunday
};

// Proleptic Gregorian date of a day count from 1 January 1970.
Date civil(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
  const std::int64_t of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * of_year + 2) / 153;
  const int day = static_cast<int>(of_year - (153 * shifted_month + 2) / 5 + 1);
  const int month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  return {year_of_era + era * 400 + (month <= 2), month, day, 0};
}

Date date_of(std::int64_t serial, bool date_1904) {
  Date date;
  if (date_1904) {
    date = civil(serial - 24107);  // day 0 is 1 January 1904
    date.weekday = static_cast<int>((serial + 5) % 7);
    return date;
  }
  // Day 1 is 1 January 1900, day 60 the 29 February 1900 the calendar never had, day 0
  // shows as 0 January 1900; weekdays count on through the extra day.
  if (serial == 0) {
    date = {1900, 1, 0, 0};
  } else if (serial == 60) {
    date = {1900, 2, 29, 0};
  } else {
    date = civil(serial - (serial < 60 ? 25568 : 25569));
  }
  date.weekday = static_cast<int>((serial + 6) % 7);
  return date;
}

void append_number(std::u16string& out, std::int64_t value, std::size_t width) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  out += digits;
}

}  // namespace

std::optional<std::u16string> show_date_time(double serial, std::u16string_view code,
                                             bool date_1904) {
  const auto tokens = parse(code);
  if (!tokens || !std::isfinite(serial) || serial < 0 ||
      serial >= (date_1904 ? kLastDay1904 : kLastDay1900) + 1)
    return std::nullopt;

  std::size_t digits = 0;
  bool twelve_hours = false;
  for (const Token& token : *tokens) {
    if (token.part == Part::fraction) digits = std::max(digits, token.width);
    twelve_hours = twelve_hours || token.part == Part::am_pm;
  }
  std::int64_t scale = 1;
  for (std::size_t k = 0; k < digits; ++k) scale *= 10;
  const std::int64_t units_per_day = 86400 * scale;
  const auto units =
      static_cast<std::int64_t>(std::nearbyint(serial * static_cast<double>(units_per_day)));
  const std::int64_t days = units / units_per_day;
  if (days > (date_1904 ? kLastDay1904 : kLastDay1900)) return std::nullopt;
  const std::int64_t seconds_total = units / scale;
  const std::int64_t fraction = units % scale;
  const std::int64_t second_of_day = seconds_total % 86400;
  const std::int64_t hour = second_of_day / 3600;
  const Date date = date_of(days, date_1904);

  std::u16string out;
  for (const Token& token : *tokens) {
    switch (token.part) {
      case Part::literal:
        out += token.text;
        break;
      case Part::year:
        if (token.width <= 2) {
          append_number(out, date.year % 100, 2);
        } else {
          append_number(out, date.year, 4);
        }
        break;
      case Part::month:
        if (token.width <= 2) {
          append_number(out, date.month, token.width);
        } else {
          const std::u16string_view name = kMonths[static_cast<std::size_t>(date.month - 1)];
          out += token.width == 3 ? name.substr(0, 3) : token.width == 4 ? name : name.substr(0, 1);
        }
        break;
      case Part::day:
        if (token.width <= 2) {
          append_number(out, date.day, token.width);
        } else {
          const std::u16string_view name = kDays[static_cast<std::size_t>(date.weekday)];
          out += token.width == 3 ? name.substr(0, 3) : name;
        }
        break;
      case Part::hour: {
        const std::int64_t shown = twelve_hours ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
        append_number(out, shown, std::min<std::size_t>(token.width, 2));
        break;
      }
      case Part::minute:
        append_number(out, second_of_day / 60 % 60, std::min<std::size_t>(token.width, 2));
        break;
      case Part::second:
        append_number(out, second_of_day % 60, std::min<std::size_t>(token.width, 2));
        break;
      case Part::elapsed_hours:
        append_number(out, seconds_total / 3600, token.width);
        break;
      case Part::elapsed_minutes:
        append_number(out, seconds_total / 60, token.width);
        break;
      case Part::elapsed_seconds:
        append_number(out, seconds_total, token.width);
        break;
      case Part::am_pm: {
        const std::size_t slash = token.text.find(u'/');
        out += hour < 12 ? token.text.substr(0, slash) : token.text.substr(slash + 1);
        break;
      }
      case Part::fraction: {
        std::int64_t shown = fraction;
        for (std::size_t k = token.width; k < digits; ++k) shown /= 10;
        out += u'.';
        append_number(out, shown, token.width);
        break;
      }
    }
  }
  return out;
}

}  // namespace xls
