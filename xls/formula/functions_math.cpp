// Mathematics: rounding, powers and logarithms, trigonometry, CEILING/FLOOR, MOD, RAND. A
// result that is no finite number is #NUM!.

#include <cmath>
#include <numbers>

#include "xls/formula/decimal_rounding.h"
#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

Value finite(double x) {
  return std::isfinite(x) ? Value(x) : error_value(ErrorCode::num);
}

// A function of one number; domain says which numbers it takes (others #NUM!).
template <double (*F)(double), bool (*Domain)(double)>
Value unary(std::span<const Value> arguments, Context& context) {
  const auto x = number_of(arguments[0], context);
  if (!x.ok()) return *x.error;
  if (!Domain(x.value)) return error_value(ErrorCode::num);
  return finite(F(x.value));
}

bool any(double) {
  return true;
}
bool positive(double x) {
  return x > 0;
}
bool not_negative(double x) {
  return x >= 0;
}
bool unit(double x) {
  return x >= -1 && x <= 1;
}

double sign(double x) {
  return x > 0 ? 1 : (x < 0 ? -1 : 0);
}
double degrees(double x) {
  return x * 180 / std::numbers::pi;
}
double radians(double x) {
  return x * std::numbers::pi / 180;
}
double floor_(double x) {
  return std::floor(x);
}

// ROUND, ROUNDUP, ROUNDDOWN, TRUNC: number and digits (TRUNC's digits may be left out).
template <Rounding R>
Value round(std::span<const Value> arguments, Context& context) {
  const auto x = number_of(arguments[0], context);
  if (!x.ok()) return *x.error;
  const auto digits = integer_of(argument_or_blank(arguments, 1), context);
  if (!digits.ok()) return *digits.error;
  if (std::fabs(digits.value) > 400) return R == Rounding::toward_zero ? x.value : 0.0;
  return round_decimal(x.value, static_cast<int>(digits.value), R);
}

Value power_of(double base, double exponent) {
  if (base == 0 && exponent == 0) return error_value(ErrorCode::num);
  if (base == 0 && exponent < 0) return error_value(ErrorCode::div0);
  return finite(std::pow(base, exponent));
}

Value power(std::span<const Value> arguments, Context& context) {
  const auto base = number_of(arguments[0], context);
  if (!base.ok()) return *base.error;
  const auto exponent = number_of(arguments[1], context);
  if (!exponent.ok()) return *exponent.error;
  return power_of(base.value, exponent.value);
}

// MOD(n, d) = n - d * INT(n / d): the result has the divisor's sign.
Value mod(std::span<const Value> arguments, Context& context) {
  const auto n = number_of(arguments[0], context);
  if (!n.ok()) return *n.error;
  const auto d = number_of(arguments[1], context);
  if (!d.ok()) return *d.error;
  if (d.value == 0) return error_value(ErrorCode::div0);
  const double result = n.value - d.value * std::floor(fifteen_digits(n.value / d.value));
  return finite(result);
}

// LOG(number, [base = 10])
Value log(std::span<const Value> arguments, Context& context) {
  const auto x = number_of(arguments[0], context);
  if (!x.ok()) return *x.error;
  double base = 10;
  if (has_argument(arguments, 1)) {
    const auto b = number_of(arguments[1], context);
    if (!b.ok()) return *b.error;
    base = b.value;
  }
  if (x.value <= 0 || base <= 0) return error_value(ErrorCode::num);
  if (base == 1) return error_value(ErrorCode::div0);
  return finite(std::log(x.value) / std::log(base));
}

// ATAN2(x, y): the angle of the point (x, y).
Value atan2(std::span<const Value> arguments, Context& context) {
  const auto x = number_of(arguments[0], context);
  if (!x.ok()) return *x.error;
  const auto y = number_of(arguments[1], context);
  if (!y.ok()) return *y.error;
  if (x.value == 0 && y.value == 0) return error_value(ErrorCode::div0);
  return std::atan2(y.value, x.value);
}

// CEILING and FLOOR to a multiple of significance. A positive number with a negative
// significance is #NUM!; a negative number goes toward +infinity (CEILING) or -infinity
// (FLOOR) with a positive significance, away from (CEILING) or toward (FLOOR) zero with a
// negative one.
template <bool Up>
Value to_multiple(std::span<const Value> arguments, Context& context) {
  const auto x = number_of(arguments[0], context);
  if (!x.ok()) return *x.error;
  const auto s = number_of(arguments[1], context);
  if (!s.ok()) return *s.error;
  if (x.value == 0) return 0.0;
  if (s.value == 0) return Up ? Value(0.0) : error_value(ErrorCode::div0);
  if (x.value > 0 && s.value < 0) return error_value(ErrorCode::num);
  // The quotient counts steps of significance: up is away from zero for a negative
  // significance and toward +infinity for a positive one; down the other way.
  const double quotient = fifteen_digits(x.value / s.value);
  const double steps = Up ? std::ceil(quotient) : std::floor(quotient);
  return finite(steps * s.value);
}

Value pi(std::span<const Value>, Context&) {
  return std::numbers::pi;
}

Value rand(std::span<const Value>, Context& context) {
  return context.random();
}

constexpr NumberedFunction kFunctions[] = {
    {15, at_least<unary<std::sin, any>, 1>},
    {16, at_least<unary<std::cos, any>, 1>},
    {17, at_least<unary<std::tan, any>, 1>},
    {18, at_least<unary<std::atan, any>, 1>},
    {19, pi},
    {20, at_least<unary<std::sqrt, not_negative>, 1>},
    {21, at_least<unary<std::exp, any>, 1>},
    {22, at_least<unary<std::log, positive>, 1>},
    {23, at_least<unary<std::log10, positive>, 1>},
    {24, at_least<unary<std::fabs, any>, 1>},
    {25, at_least<unary<floor_, any>, 1>},
    {26, at_least<unary<sign, any>, 1>},
    {27, at_least<round<Rounding::nearest>, 2>},
    {39, at_least<mod, 2>},
    {63, rand},
    {97, at_least<atan2, 2>},
    {98, at_least<unary<std::asin, unit>, 1>},
    {99, at_least<unary<std::acos, unit>, 1>},
    {109, at_least<log, 1>},
    {197, at_least<round<Rounding::toward_zero>, 1>},
    {212, at_least<round<Rounding::away_from_zero>, 2>},
    {213, at_least<round<Rounding::toward_zero>, 2>},
    {285, at_least<to_multiple<false>, 2>},
    {288, at_least<to_multiple<true>, 2>},
    {337, at_least<power, 2>},
    {342, at_least<unary<radians, any>, 1>},
    {343, at_least<unary<degrees, any>, 1>},
};

}  // namespace

std::span<const NumberedFunction> math_functions() {
  return kFunctions;
}

}  // namespace xls::formula
