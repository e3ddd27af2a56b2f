#include "xls/typed_entry_number.h"

#include <charconv>
#include <cstdint>

namespace xls::entry {
namespace {

constexpr int kSignificantDigits = 15;
// The largest magnitude the application accepts as typed, 9.99999999999999E+307, and the
// smallest, 2.2251E-308; beyond them the entry stays text.
constexpr double kLargestTyped = 9.99999999999999e307;
constexpr double kSmallestTyped = 2.2251e-308;

// The digits as the application keeps them: digits past the fifteenth significant one
// count as zeros (it truncates, it does not round).
struct Mantissa {
  std::uint64_t significant = 0;  // at most fifteen digits
  int significant_count = 0;
  int scale = 0;  // value = significant * 10^scale
  bool any_digit = false;
  bool grouped = false;
  bool decimals = false;  // at least one digit after the decimal point

  void add(std::u16string_view digits, bool fraction) {
    for (const auto c : digits) {
      any_digit = true;
      if (significant_count == 0 && c == u'0') {
        scale -= fraction;  // a leading zero
      } else if (significant_count < kSignificantDigits) {
        significant = significant * 10 + (c - u'0');
        ++significant_count;
        scale -= fraction;
      } else {
        scale += !fraction;  // dropped: a zero in the integer part, nothing in the fraction
      }
    }
  }
};

// Digits with "," groups of three, or plain digits; an optional "." fraction. At least one
// digit in all.
std::optional<Mantissa> read_mantissa(Cursor& cursor) {
  Mantissa mantissa;
  const auto head = cursor.digits();
  mantissa.add(head, false);
  while (!head.empty() && head.size() <= 3 && cursor.peek() == u',') {
    cursor.take(u',');
    const auto group = cursor.digits();
    if (group.size() != 3) return std::nullopt;
    mantissa.add(group, false);
    mantissa.grouped = true;
  }
  if (cursor.take(u'.')) {
    const auto fraction = cursor.digits();
    mantissa.add(fraction, true);
    mantissa.decimals = !fraction.empty();
  }
  if (!mantissa.any_digit) return std::nullopt;
  return mantissa;
}

struct Exponent {
  bool present = false;
  int value = 0;
};

// "e5", "E+05", "e-3", or none; nullopt for a malformed one, which fails the number.
std::optional<Exponent> read_exponent(Cursor& cursor) {
  Exponent exponent;
  if (!cursor.take(u'e') && !cursor.take(u'E')) return exponent;
  const bool negative = cursor.take(u'-');
  if (!negative) cursor.take(u'+');
  const auto digits = cursor.digits();
  if (digits.empty()) return std::nullopt;
  exponent.present = true;
  // Past five digits the value is out of range (or zero) anyway.
  exponent.value = digits.size() > 5 ? 99999 : digits_value(digits);
  if (negative) exponent.value = -exponent.value;
  return exponent;
}

// The nearest double to significant * 10^scale, or nullopt outside the typed range.
std::optional<double> value_of(const Mantissa& mantissa, int extra_scale) {
  if (mantissa.significant == 0) return 0.0;
  const long scale = static_cast<long>(mantissa.scale) + extra_scale;
  const long magnitude = scale + mantissa.significant_count - 1;
  if (magnitude > 308 || magnitude < -309) return std::nullopt;
  double value = 0;
  if (scale >= -22 && scale <= 22) {
    // Both factors are exact doubles, so one multiplication or division rounds correctly.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const auto digits = static_cast<double>(mantissa.significant);
    value = scale < 0 ? digits / kPowers[-scale] : digits * kPowers[scale];
  } else {
    char text[48];  // fifteen digits, "e", the scale
    auto end = std::to_chars(text, text + 24, mantissa.significant).ptr;
    *end = 'e';
    end = std::to_chars(end + 1, text + sizeof text, scale).ptr;
    if (std::from_chars(text, end, value).ec != std::errc()) return std::nullopt;
  }
  if (value > kLargestTyped || value < kSmallestTyped) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ReadValue> read_number(std::u16string_view text) {
  Cursor cursor(text);
  // "(5)" and "($5)" are negative; a sign is not allowed inside them.
  const bool parenthesised = text.size() >= 2 && text.front() == u'(' && text.back() == u')';
  if (parenthesised) cursor = Cursor(text.substr(1, text.size() - 2));
  bool negative = parenthesised;
  if (!parenthesised) {
    negative = cursor.take(u'-');
    if (!negative) cursor.take(u'+');
  }
  const bool currency = cursor.take(u'$');
  const auto mantissa = read_mantissa(cursor);
  if (!mantissa) return std::nullopt;
  const auto exponent = read_exponent(cursor);
  if (!exponent) return std::nullopt;
  // Blanks may stand before a trailing "%".
  const auto before_percent = cursor.position();
  cursor.blanks();
  const bool percent = cursor.take(u'%');
  if (!percent) cursor.rewind(before_percent);
  if (!cursor.at_end()) return std::nullopt;
  // An exponent goes with none of the other shapes; a percent not with a currency sign
  // or parentheses.
  if (exponent->present && (mantissa->grouped || currency || percent)) return std::nullopt;
  if (percent && (currency || parenthesised)) return std::nullopt;

  const auto value = value_of(*mantissa, exponent->value - (percent ? 2 : 0));
  if (!value) return std::nullopt;
  // "-0" is stored as 0, without a sign.
  ReadValue read{negative && *value != 0 ? -*value : *value, {}};
  if (currency) {
    read.format = mantissa->decimals ? u"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)"
                                     : u"\"$\"#,##0_);\\(\"$\"#,##0\\)";
  } else if (percent) {
    read.format = mantissa->decimals ? u"0.00%" : u"0%";
  } else if (exponent->present) {
    read.format = u"0.00E+00";
  } else if (mantissa->grouped) {
    read.format = mantissa->decimals ? u"#,##0.00" : u"#,##0";
  }
  return read;
}

}  // namespace xls::entry
