#pragma once
// Rounding a number at a decimal place as the application does: on the number's 15
// significant decimal digits, so that 2.675 rounds to 2.68 although the double holding it
// lies just below.

namespace xls::formula {

enum class Rounding { nearest, away_from_zero, toward_zero };

double round_decimal(double number, int digits, Rounding rounding);

// The number with no more than 15 significant digits (what the application shows and
// compares).
double fifteen_digits(double number);

}  // namespace xls::formula
