#include "xls/formula/operators.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "xls/formula/function_support.h"
#include "xls/formula/tokens.h"

namespace xls::formula {

namespace {

constexpr std::size_t kMaxText = 32767;

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
    const std::u16string x = upper_case(std::get<std::u16string>(a));
    const std::u16string y = upper_case(std::get<std::u16string>(b));
    return x == y ? 0 : x < y ? -1 : 1;
  }
  const bool x = std::get<bool>(a), y = std::get<bool>(b);
  return x == y ? 0 : x ? 1 : -1;
}

}  // namespace

double approximate_sum(double a, double b) {
  const double sum = a + b;
  if (((a < 0 && b > 0) || (a > 0 && b < 0)) && approximately_equal(a, -b)) return 0.0;
  return sum;
}

Value binary_operation(std::uint8_t op, const Value& a, const Value& b, Context& context) {
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
    std::u16string text = text_of(a, context).value + text_of(b, context).value;
    if (text.size() > kMaxText) return Error{ErrorCode::value};
    return text;
  }
  const Got<double> first = number_of(a, context);
  if (!first.ok()) return *first.error;
  const Got<double> second = number_of(b, context);
  if (!second.ok()) return *second.error;
  const double* x = &first.value;
  const double* y = &second.value;
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

Value unary_operation(std::uint8_t op, const Value& a, Context& context) {
  if (op == ptg::kUplus) return a;
  const Got<double> number = number_of(a, context);
  if (!number.ok()) return *number.error;
  const double* x = &number.value;
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
