#include "xls/formula/number_text.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "xls/formula/decimal_rounding.h"
#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

std::u16string widen(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// The digits of |number| rounded to decimals places: integer part and fraction part.
struct Digits {
  std::string whole, fraction;
};

Digits digits_of(double number, int decimals) {
  const double rounded = std::fabs(round_decimal(number, decimals, Rounding::nearest));
  char buffer[512];  // up to 309 digits, the point and 127 decimals
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals > 0 ? decimals : 0, rounded);
  const std::string text(buffer);
  const auto point = text.find('.');
  if (point == std::string::npos) return {text, ""};
  return {text.substr(0, point), text.substr(point + 1)};
}

std::string with_commas(const std::string& whole) {
  std::string out;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out += ',';
    out += whole[i];
  }
  return out;
}

// One section of a number format code, read.
struct Section {
  std::u16string prefix, suffix;  // literal text before and after the number
  int whole_zeros = 0;            // 0 placeholders before the point
  int decimals = 0, decimal_zeros = 0;
  bool commas = false;
  int percents = 0;
  bool exponent = false, exponent_plus = false;
  int exponent_digits = 0;
  bool has_digits = false;
};

std::optional<Section> read_section(std::u16string_view code) {
  Section section;
  bool after_point = false, in_exponent = false, seen_digit = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char16_t c = code[i];
    std::u16string literal;
    if (c == u'"') {
      const auto end = code.find(u'"', i + 1);
      if (end == std::u16string_view::npos) return std::nullopt;
      literal = std::u16string(code.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == u'\\' && i + 1 < code.size()) {
      literal = code[++i];
    } else if (c == u'0' || c == u'#' || c == u'?') {
      seen_digit = section.has_digits = true;
      if (in_exponent) {
        ++section.exponent_digits;
      } else if (after_point) {
        ++section.decimals;
        section.decimal_zeros += c == u'0' ? 1 : 0;
      } else {
        section.whole_zeros += c == u'0' ? 1 : 0;
      }
      continue;
    } else if (c == u'.' && !after_point && !in_exponent) {
      after_point = seen_digit = true;
      continue;
    } else if (c == u',' && seen_digit && !after_point) {
      section.commas = true;
      continue;
    } else if (c == u'%') {
      ++section.percents;
      literal = u"%";
    } else if ((c == u'E' || c == u'e') && i + 1 < code.size() &&
               (code[i + 1] == u'+' || code[i + 1] == u'-')) {
      section.exponent = in_exponent = true;
      section.exponent_plus = code[++i] == u'+';
      continue;
    } else if (std::u16string_view(u"$-+():/ ").find(c) != std::u16string_view::npos) {
      literal = c;
    } else if (c == u'_' && i + 1 < code.size()) {
      literal = u" ";
      ++i;
    } else {
      return std::nullopt;
    }
    (seen_digit ? section.suffix : section.prefix) += literal;
  }
  return section;
}

std::u16string show(double number, const Section& section) {
  for (int i = 0; i < section.percents; ++i) number *= 100;
  std::string body;
  if (section.exponent) {
    int exponent = 0;
    double mantissa = std::fabs(number);
    if (mantissa != 0) {
      exponent = static_cast<int>(std::floor(std::log10(mantissa)));
      mantissa /= std::pow(10.0, exponent);
      if (round_decimal(mantissa, section.decimals, Rounding::nearest) >= 10) {
        mantissa /= 10;
        ++exponent;
      }
    }
    const auto digits = digits_of(mantissa, section.decimals);
    body = digits.whole + (section.decimals ? "." + digits.fraction : "");
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%s%0*d",
                  exponent < 0 ? "-" : (section.exponent_plus ? "+" : ""), section.exponent_digits,
                  std::abs(exponent));
    body += tail;
  } else {
    auto digits = digits_of(number, section.decimals);
    if (digits.whole == "0" && section.whole_zeros == 0) digits.whole.clear();
    while (static_cast<int>(digits.whole.size()) < section.whole_zeros) {
      digits.whole.insert(digits.whole.begin(), '0');
    }
    // Optional decimals (#) drop their trailing zeros.
    while (static_cast<int>(digits.fraction.size()) > section.decimal_zeros &&
           digits.fraction.back() == '0') {
      digits.fraction.pop_back();
    }
    body = section.commas ? with_commas(digits.whole) : digits.whole;
    if (section.decimals > 0) body += "." + digits.fraction;
  }
  return section.prefix + widen(body) + section.suffix;
}

std::vector<std::u16string_view> sections_of(std::u16string_view code) {
  std::vector<std::u16string_view> sections;
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i] == u'"') quoted = !quoted;
    if (code[i] == u'\\') ++i;
    if (code[i] == u';' && !quoted) {
      sections.push_back(code.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(code.substr(start));
  return sections;
}

}  // namespace

std::u16string fixed_text(double number, int decimals, bool no_commas) {
  const auto digits = digits_of(number, decimals);
  const bool negative = round_decimal(number, decimals, Rounding::nearest) < 0;
  std::string text = no_commas ? digits.whole : with_commas(digits.whole);
  if (decimals > 0) text += "." + digits.fraction;
  return widen(negative ? "-" + text : text);
}

std::optional<std::u16string> formatted_number(double number, std::u16string_view code) {
  const auto sections = sections_of(code);
  if (sections.size() > 4) return std::nullopt;
  std::u16string_view chosen = sections[0];
  bool sign = number < 0;
  if (number < 0 && sections.size() >= 2) {
    chosen = sections[1];
    sign = false;
  } else if (number == 0 && sections.size() >= 3) {
    chosen = sections[2];
  }
  if (upper_case(chosen) == u"GENERAL") {
    return general_text(sections.size() >= 2 ? std::fabs(number) : number);
  }
  const auto section = read_section(chosen);
  if (!section) return std::nullopt;
  if (!section->has_digits) return section->prefix;
  auto text = show(std::fabs(number), *section);
  // A negative number that rounds to zero shows no sign.
  const bool shows_nonzero = text.find_first_of(u"123456789") != std::u16string::npos;
  return sign && shows_nonzero ? u"-" + text : text;
}

}  // namespace xls::formula
