#include "xls/formula/operators.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "xls/cell.h"
#include "xls/formula/tokens.h"

namespace xls::formula {

namespace {

constexpr std::size_t kMaxText = 32767;

std::optional<double> number_from_text(std::u16string_view text);

bool blank_char(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0';
}

// A plain decimal number: digits with optional thousands separators, point, exponent.
std::optional<double> decimal(std::u16string_view text) {
  std::string ascii;
  bool digits = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u',' && digits && ascii.find_first_of(".eE") == std::string::npos) continue;
    if (c > 0x7F) return std::nullopt;
    if (c >= u'0' && c <= u'9') digits = true;
    ascii += static_cast<char>(c);
  }
  if (!digits) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  if (end != ascii.c_str() + ascii.size() || !std::isfinite(value)) return std::nullopt;
  if (ascii.find_first_of("xXnNiIpP") != std::string::npos) return std::nullopt;  // hex, inf, nan
  return value;
}

// h:mm or h:mm:ss(.fff) as a fraction of a day.
std::optional<double> time_of_day(std::u16string_view text) {
  double parts[3] = {0, 0, 0};
  int count = 0;
  std::size_t at = 0;
  while (count < 3) {
    const std::size_t colon = text.find(u':', at);
    const std::u16string_view part = text.substr(at, colon == text.npos ? text.npos : colon - at);
    if (part.empty()) return std::nullopt;
    for (char16_t c : part) {
      if (!(c >= u'0' && c <= u'9') && !(c == u'.' && count == 2)) return std::nullopt;
    }
    const auto value = decimal(part);
    if (!value) return std::nullopt;
    parts[count++] = *value;
    if (colon == text.npos) break;
    at = colon + 1;
  }
  if (count < 2 || parts[1] >= 60 || parts[2] >= 60) return std::nullopt;
  return (parts[0] * 3600 + parts[1] * 60 + parts[2]) / 86400;
}

Error error_of(const Value& value) {
  return std::get<Error>(value);
}

// The number of a value, or the error that stands in for it.
std::optional<double> number_of(const Value& value, Error& error) {
  switch (value.index()) {
    case 0:
      return 0.0;
    case 1:
      return std::get<double>(value);
    case 2:
      if (auto number = number_from_text(std::get<std::u16string>(value))) return number;
      error = Error{ErrorCode::value};
      return std::nullopt;
    case 3:
      return std::get<bool>(value) ? 1.0 : 0.0;
    case 4:
      error = error_of(value);
      return std::nullopt;
    default:
      error = Error{ErrorCode::value};
      return std::nullopt;
  }
}

Value number_or_error(double value) {
  if (!std::isfinite(value)) return Error{ErrorCode::num};
  return value;
}

bool approximately_equal(double a, double b) {
  if (a == b) return true;
  if (a == 0 || b == 0 || (a < 0) != (b < 0)) return false;
  // 15 significant digits decide, as the application compares.
  return std::fabs(a - b) < std::fabs(a) * (1.0 / (1LL << 48));
}

std::u16string upper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - u'a' + u'A');
    } else if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
      c = static_cast<char16_t>(c - 0x20);
    }
  }
  return out;
}

// Rank of a value's kind in comparisons: numbers, then texts, then booleans.
int kind_rank(const Value& value) {
  return value.index() == 1 ? 0 : value.index() == 2 ? 1 : 2;
}

// -1, 0 or 1; blanks compare as the other side's empty value.
int compare(const Value& a, const Value& b) {
  const bool a_blank = a.index() == 0, b_blank = b.index() == 0;
  if (a_blank && b_blank) return 0;
  if (a_blank) return -compare(b, a);
  if (b_blank) {
    if (a.index() == 1) return compare(a, Value{0.0});
    if (a.index() == 2) return compare(a, Value{std::u16string()});
    return compare(a, Value{false});
  }
  if (kind_rank(a) != kind_rank(b)) return kind_rank(a) < kind_rank(b) ? -1 : 1;
  if (a.index() == 1) {
    const double x = std::get<double>(a), y = std::get<double>(b);
    if (approximately_equal(x, y)) return 0;
    return x < y ? -1 : 1;
  }
  if (a.index() == 2) {
    const std::u16string x = upper(std::get<std::u16string>(a));
    const std::u16string y = upper(std::get<std::u16string>(b));
    return x == y ? 0 : x < y ? -1 : 1;
  }
  const bool x = std::get<bool>(a), y = std::get<bool>(b);
  return x == y ? 0 : x ? 1 : -1;
}

// A text an arithmetic operator takes as a number: a decimal number with optional sign,
// thousands separators, exponent and percent sign, blanks around it, or a time of day.
std::optional<double> number_from_text(std::u16string_view text) {
  while (!text.empty() && blank_char(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank_char(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  double scale = 1;
  if (text.back() == u'%') {
    scale = 0.01;
    text.remove_suffix(1);
    while (!text.empty() && blank_char(text.back())) text.remove_suffix(1);
  }
  if (auto value = decimal(text)) return *value * scale;
  if (scale == 1) return time_of_day(text);
  return std::nullopt;
}

// The text & makes of a value: numbers in the General format's 15 digits.
std::u16string text_of(const Value& value) {
  CellValue cell;
  switch (value.index()) {
    case 1:
      cell.kind = CellKind::number;
      cell.number = std::get<double>(value);
      break;
    case 2:
      return std::get<std::u16string>(value);
    case 3:
      cell.kind = CellKind::boolean;
      cell.boolean = std::get<bool>(value);
      break;
    default:
      break;
  }
  return display_text(cell);
}

}  // namespace

double approximate_sum(double a, double b) {
  const double sum = a + b;
  if (((a < 0 && b > 0) || (a > 0 && b < 0)) && approximately_equal(a, -b)) return 0.0;
  return sum;
}

Value binary_operation(std::uint8_t op, const Value& a, const Value& b, bool /*date1904*/) {
  if (op >= ptg::kLt && op <= ptg::kNe) {
    if (a.index() == 4) return a;
    if (b.index() == 4) return b;
    const int order = compare(a, b);
    switch (op) {
      case ptg::kLt:
        return order < 0;
      case ptg::kLe:
        return order <= 0;
      case ptg::kEq:
        return order == 0;
      case ptg::kGe:
        return order >= 0;
      case ptg::kGt:
        return order > 0;
      default:
        return order != 0;
    }
  }
  if (op == ptg::kConcat) {
    if (a.index() == 4) return a;
    if (b.index() == 4) return b;
    std::u16string text = text_of(a) + text_of(b);
    if (text.size() > kMaxText) return Error{ErrorCode::value};
    return text;
  }
  Error error;
  const auto x = number_of(a, error);
  if (!x) return error;
  const auto y = number_of(b, error);
  if (!y) return error;
  switch (op) {
    case ptg::kAdd:
      return number_or_error(approximate_sum(*x, *y));
    case ptg::kSub:
      return number_or_error(approximate_sum(*x, -*y));
    case ptg::kMul:
      return number_or_error(*x * *y);
    case ptg::kDiv:
      if (*y == 0) return Error{ErrorCode::div0};
      return number_or_error(*x / *y);
    case ptg::kPower:
      if (*x == 0 && *y == 0) return Error{ErrorCode::num};
      if (*x == 0 && *y < 0) return Error{ErrorCode::div0};
      return number_or_error(std::pow(*x, *y));
    default:
      return Error{ErrorCode::value};
  }
}

Value unary_operation(std::uint8_t op, const Value& a, bool /*date1904*/) {
  if (op == ptg::kUplus) return a;
  Error error;
  const auto x = number_of(a, error);
  if (!x) return error;
  switch (op) {
    case ptg::kUminus:
      return -*x;
    case ptg::kPercent:
      return *x / 100;
    default:
      return *x;
  }
}

}  // namespace xls::formula
