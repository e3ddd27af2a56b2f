// Text: joining, cutting, searching, changing case, converting numbers to texts (TEXT,
// FIXED, DOLLAR) and back (VALUE), character codes (Windows code page 1252, as the
// application on US-English Windows uses).

#include <algorithm>
#include <array>
#include <cmath>

#include "xls/formula/criteria.h"
#include "xls/formula/function_support.h"
#include "xls/formula/number_text.h"
#include "xls/number_format_display.h"

namespace xls::formula {
namespace {

constexpr double kLongestText = 32767;

// Code page 1252 from 0x80 to 0x9F; zero where the code page has no character.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

template <class Make>
Value with_text(const Value& argument, Context& context, Make make) {
  const auto text = text_of(argument, context);
  if (!text.ok()) return *text.error;
  return make(text.value);
}

Value concatenate(std::span<const Value> arguments, Context& context) {
  std::u16string joined;
  for (const auto& argument : arguments) {
    const auto text = text_of(argument, context);
    if (!text.ok()) return *text.error;
    joined += text.value;
  }
  if (joined.size() > kLongestText) return error_value(ErrorCode::value);
  return joined;
}

// A count argument (LEFT, RIGHT, MID, REPT): not negative, else #VALUE!.
Got<std::size_t> count_of(std::span<const Value> arguments, std::size_t index, double absent,
                          Context& context) {
  double n = absent;
  if (index < arguments.size()) {
    const auto number = integer_of(arguments[index], context);
    if (!number.ok()) return *number.error;
    n = number.value;
  }
  if (n < 0) return Error{ErrorCode::value};
  return static_cast<std::size_t>(std::min(n, 1e9));
}

template <bool Left>
Value left_or_right(std::span<const Value> arguments, Context& context) {
  const auto text = text_of(arguments[0], context);
  if (!text.ok()) return *text.error;
  const auto n = count_of(arguments, 1, 1, context);
  if (!n.ok()) return *n.error;
  const auto& t = text.value;
  const std::size_t k = std::min(n.value, t.size());
  return Left ? t.substr(0, k) : t.substr(t.size() - k);
}

Value mid(std::span<const Value> arguments, Context& context) {
  const auto text = text_of(arguments[0], context);
  if (!text.ok()) return *text.error;
  const auto start = integer_of(arguments[1], context);
  if (!start.ok()) return *start.error;
  const auto n = count_of(arguments, 2, 0, context);
  if (!n.ok()) return *n.error;
  if (start.value < 1) return error_value(ErrorCode::value);
  if (start.value > static_cast<double>(text.value.size())) return std::u16string();
  return text.value.substr(static_cast<std::size_t>(start.value) - 1, n.value);
}

Value len(std::span<const Value> arguments, Context& context) {
  return with_text(arguments[0], context,
                   [](const std::u16string& t) { return static_cast<double>(t.size()); });
}

// TRIM: no spaces at the ends, single spaces between words.
Value trim(std::span<const Value> arguments, Context& context) {
  return with_text(arguments[0], context, [](const std::u16string& t) {
    std::u16string out;
    for (const char16_t c : t) {
      if (c == u' ' && (out.empty() || out.back() == u' ')) continue;
      out += c;
    }
    if (!out.empty() && out.back() == u' ') out.pop_back();
    return out;
  });
}

char16_t lower_char(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 0x20 : c;
}
bool is_letter(char16_t c) {
  return lower_char(c) != upper_case(std::u16string_view(&c, 1))[0] || c == 0xDF;
}

Value upper(std::span<const Value> arguments, Context& context) {
  return with_text(arguments[0], context, [](const std::u16string& t) { return upper_case(t); });
}

Value lower(std::span<const Value> arguments, Context& context) {
  return with_text(arguments[0], context, [](std::u16string t) {
    std::transform(t.begin(), t.end(), t.begin(), lower_char);
    return t;
  });
}

// PROPER: a letter after a letter in lower case, any other letter in upper case.
Value proper(std::span<const Value> arguments, Context& context) {
  return with_text(arguments[0], context, [](std::u16string t) {
    bool after_letter = false;
    for (auto& c : t) {
      const bool letter = is_letter(c);
      c = after_letter ? lower_char(c) : upper_case(std::u16string_view(&c, 1))[0];
      after_letter = letter;
    }
    return t;
  });
}

// SUBSTITUTE(text, old, new, [instance]): every occurrence, or only the instance-th.
Value substitute(std::span<const Value> arguments, Context& context) {
  std::u16string parts[3];
  for (std::size_t i = 0; i < 3; ++i) {
    const auto text = text_of(arguments[i], context);
    if (!text.ok()) return *text.error;
    parts[i] = text.value;
  }
  double instance = 0;
  if (has_argument(arguments, 3)) {
    const auto n = integer_of(arguments[3], context);
    if (!n.ok()) return *n.error;
    if (n.value < 1) return error_value(ErrorCode::value);
    instance = n.value;
  }
  const auto& [text, old, replacement] = parts;
  if (old.empty()) return text;
  std::u16string out;
  std::size_t from = 0;
  double seen = 0;
  for (auto at = text.find(old); at != std::u16string::npos; at = text.find(old, at + old.size())) {
    ++seen;
    if (instance != 0 && seen != instance) continue;
    out += text.substr(from, at - from) + replacement;
    from = at + old.size();
  }
  return out + text.substr(from);
}

// REPLACE(text, start, count, new)
Value replace(std::span<const Value> arguments, Context& context) {
  const auto text = text_of(arguments[0], context);
  if (!text.ok()) return *text.error;
  const auto start = integer_of(arguments[1], context);
  if (!start.ok()) return *start.error;
  const auto n = count_of(arguments, 2, 0, context);
  if (!n.ok()) return *n.error;
  const auto replacement = text_of(arguments[3], context);
  if (!replacement.ok()) return *replacement.error;
  if (start.value < 1) return error_value(ErrorCode::value);
  std::u16string out = text.value;
  const double first = std::min(start.value, static_cast<double>(out.size()) + 1);
  const std::size_t at = static_cast<std::size_t>(first) - 1;
  return out.replace(at, n.value, replacement.value);
}

// FIND (case counts, no wildcards) and SEARCH (case ignored, wildcards): the position from 1.
template <bool Search>
Value find(std::span<const Value> arguments, Context& context) {
  const auto wanted = text_of(arguments[0], context);
  if (!wanted.ok()) return *wanted.error;
  const auto within = text_of(arguments[1], context);
  if (!within.ok()) return *within.error;
  double start = 1;
  if (has_argument(arguments, 2)) {
    const auto n = integer_of(arguments[2], context);
    if (!n.ok()) return *n.error;
    start = n.value;
  }
  if (start < 1 || start > static_cast<double>(within.value.size()) + 1) {
    return error_value(ErrorCode::value);
  }
  const auto from = static_cast<std::size_t>(start) - 1;
  if (!Search) {
    const auto at = within.value.find(wanted.value, from);
    if (at == std::u16string::npos) return error_value(ErrorCode::value);
    return static_cast<double>(at + 1);
  }
  const auto pattern = upper_case(wanted.value) + u"*";
  const auto text = upper_case(within.value);
  for (std::size_t at = from; at <= text.size(); ++at) {
    if (wildcard_match(pattern, std::u16string_view(text).substr(at))) {
      return static_cast<double>(at + 1);
    }
  }
  return error_value(ErrorCode::value);
}

Value rept(std::span<const Value> arguments, Context& context) {
  const auto text = text_of(arguments[0], context);
  if (!text.ok()) return *text.error;
  const auto n = count_of(arguments, 1, 0, context);
  if (!n.ok()) return *n.error;
  if (static_cast<double>(text.value.size()) * static_cast<double>(n.value) > kLongestText) {
    return error_value(ErrorCode::value);
  }
  std::u16string out;
  for (std::size_t i = 0; i < n.value; ++i) out += text.value;
  return out;
}

Value exact(std::span<const Value> arguments, Context& context) {
  const auto a = text_of(arguments[0], context);
  if (!a.ok()) return *a.error;
  const auto b = text_of(arguments[1], context);
  if (!b.ok()) return *b.error;
  return a.value == b.value;
}

// VALUE: a number as it is; a text read as typed (numbers, dates, times); else #VALUE!.
Value value(std::span<const Value> arguments, Context& context) {
  const Value v = single_value(arguments[0], context);
  if (std::holds_alternative<double>(v) || is_error(v)) return v;
  if (std::holds_alternative<Blank>(v)) return 0.0;
  if (const auto* text = std::get_if<std::u16string>(&v)) {
    if (const auto number = number_from_text(*text, context)) return *number;
  }
  return error_value(ErrorCode::value);
}

// TEXT(value, format): a date or time format as the engine shows dates, a number format as
// number_text writes it; a text that is no number stays as it is.
Value text(std::span<const Value> arguments, Context& context) {
  const Value v = single_value(arguments[0], context);
  if (is_error(v)) return v;
  const auto code = text_of(arguments[1], context);
  if (!code.ok()) return *code.error;
  double number = 0;
  if (const auto* t = std::get_if<std::u16string>(&v)) {
    const auto read = number_from_text(*t, context);
    if (!read) return *t;
    number = *read;
  } else {
    const auto n = number_of(v, context);
    if (!n.ok()) return *n.error;
    number = n.value;
  }
  if (auto shown = show_date_time(number, code.value, context.date1904())) return *shown;
  if (auto shown = formatted_number(number, code.value)) return *shown;
  return error_value(ErrorCode::value);
}

// FIXED(number, [decimals = 2], [no_commas = FALSE]) and DOLLAR(number, [decimals = 2]).
Got<std::u16string> fixed_of(std::span<const Value> arguments, Context& context, bool dollar) {
  const auto number = number_of(arguments[0], context);
  if (!number.ok()) return *number.error;
  double decimals = 2;
  if (has_argument(arguments, 1)) {
    const auto n = integer_of(arguments[1], context);
    if (!n.ok()) return *n.error;
    decimals = n.value;
  }
  if (decimals > 127) return Error{ErrorCode::value};
  bool no_commas = false;
  if (!dollar && has_argument(arguments, 2)) {
    const auto flag = boolean_of(arguments[2], context);
    if (!flag.ok()) return *flag.error;
    no_commas = flag.value;
  }
  const int places = static_cast<int>(std::max(decimals, -400.0));
  return fixed_text(number.value, places, no_commas);
}

Value fixed(std::span<const Value> arguments, Context& context) {
  const auto text = fixed_of(arguments, context, false);
  return text.ok() ? Value(text.value) : Value(*text.error);
}

// DOLLAR: "$1,234.57", negative in parentheses.
Value dollar(std::span<const Value> arguments, Context& context) {
  const auto text = fixed_of(arguments, context, true);
  if (!text.ok()) return *text.error;
  if (!text.value.empty() && text.value.front() == u'-') return u"($" + text.value.substr(1) + u")";
  return u"$" + text.value;
}

Value char_(std::span<const Value> arguments, Context& context) {
  const auto code = integer_of(arguments[0], context);
  if (!code.ok()) return *code.error;
  if (code.value < 1 || code.value > 255) return error_value(ErrorCode::value);
  const auto n = static_cast<char16_t>(code.value);
  if (n >= 0x80 && n <= 0x9F) {
    const char16_t c = kHigh1252[n - 0x80];
    return std::u16string(1, c ? c : n);
  }
  return std::u16string(1, n);
}

Value code(std::span<const Value> arguments, Context& context) {
  const auto text = text_of(arguments[0], context);
  if (!text.ok()) return *text.error;
  if (text.value.empty()) return error_value(ErrorCode::value);
  const char16_t c = text.value.front();
  if (c < 0x100) return static_cast<double>(c);
  const auto at = std::find(kHigh1252.begin(), kHigh1252.end(), c);
  if (at != kHigh1252.end()) return static_cast<double>(0x80 + (at - kHigh1252.begin()));
  return static_cast<double>(u'?');
}

// T: a text as it is, anything else "" (an error stays).
Value t(std::span<const Value> arguments, Context& context) {
  const Value v = single_value(arguments[0], context);
  if (std::holds_alternative<std::u16string>(v) || is_error(v)) return v;
  return std::u16string();
}

// N: a number as it is, booleans 1 and 0, anything else 0 (an error stays).
Value n(std::span<const Value> arguments, Context& context) {
  const Value v = single_value(arguments[0], context);
  if (std::holds_alternative<double>(v) || is_error(v)) return v;
  if (const auto* b = std::get_if<bool>(&v)) return *b ? 1.0 : 0.0;
  return 0.0;
}

constexpr NumberedFunction kFunctions[] = {
    {13, at_least<dollar, 1>},
    {14, at_least<fixed, 1>},
    {30, at_least<rept, 2>},
    {31, at_least<mid, 3>},
    {32, at_least<len, 1>},
    {33, at_least<value, 1>},
    {48, at_least<text, 2>},
    {82, at_least<find<true>, 2>},
    {111, at_least<char_, 1>},
    {112, at_least<lower, 1>},
    {113, at_least<upper, 1>},
    {114, at_least<proper, 1>},
    {115, at_least<left_or_right<true>, 1>},
    {116, at_least<left_or_right<false>, 1>},
    {117, at_least<exact, 2>},
    {118, at_least<trim, 1>},
    {119, at_least<replace, 4>},
    {120, at_least<substitute, 3>},
    {121, at_least<code, 1>},
    {124, at_least<find<false>, 2>},
    {130, at_least<t, 1>},
    {131, at_least<n, 1>},
    {336, concatenate},
};

}  // namespace

std::span<const NumberedFunction> text_functions() {
  return kFunctions;
}

}  // namespace xls::formula
