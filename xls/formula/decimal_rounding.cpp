#include "xls/formula/decimal_rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace xls::formula {

double fifteen_digits(double number) {
  if (number == 0 || !std::isfinite(number)) return number;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", number);
  return std::strtod(buffer, nullptr);
}

double round_decimal(double number, int digits, Rounding rounding) {
  if (number == 0 || !std::isfinite(number)) return number;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(number));
  // buffer: d.dddddddddddddde[+-]x: the 15 digits, the first worth 10^exponent.
  std::string significant;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p != '.') significant += *p;
  }
  const int exponent = std::atoi(p + 1);
  const int keep = exponent + 1 + digits;  // digits before the rounding place
  if (keep >= 15) return number;
  const std::string kept = keep > 0 ? significant.substr(0, static_cast<std::size_t>(keep)) : "";
  const std::string rest = keep > 0
                               ? significant.substr(static_cast<std::size_t>(keep))
                               : std::string(static_cast<std::size_t>(-keep), '0') + significant;
  bool up = false;
  if (rounding == Rounding::nearest) up = rest[0] >= '5';
  if (rounding == Rounding::away_from_zero) up = rest.find_first_not_of('0') != std::string::npos;
  double whole = kept.empty() ? 0.0 : std::strtod(kept.c_str(), nullptr);
  if (up) whole += 1;
  // whole counts units of 10^-digits; written out and read back to land on the nearest double.
  std::snprintf(buffer, sizeof buffer, "%.0fe%d", whole, -digits);
  const double result = std::strtod(buffer, nullptr);
  return number < 0 ? -result : result;
}

}  // namespace xls::formula
