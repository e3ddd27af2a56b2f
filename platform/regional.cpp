#include <charconv>
#include <string>

#include "platform/regional.h"

namespace schreiber::platform {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<double> parse_number(std::string_view text, const Regional& regional) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  text = text.substr(begin, end - begin);

  // Rebuild the number in the C locale's spelling, checking the shape as we go.
  std::string c_form;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') c_form += '-';
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      c_form += c;
      digits = true;
    } else if (c == regional.decimal_point && !point) {
      c_form += '.';
      point = true;
    } else if (c == regional.thousands_separator && !point && digits) {
      continue;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    const std::size_t first = j;
    while (j < text.size() && is_digit(text[j])) exponent += text[j++];
    if (j == first) return std::nullopt;
    c_form += exponent;
    i = j;
  }
  if (i != text.size()) return std::nullopt;
  // from_chars reads the C spelling whatever locale the process runs in (a toolkit sets
  // it from the environment); strtod would follow that locale and refuse "3.7".
  double value = 0;
  const char* last = c_form.data() + c_form.size();
  const auto [stop, error] = std::from_chars(c_form.data(), last, value);
  if (error != std::errc() || stop != last) return std::nullopt;
  return value;
}

}  // namespace schreiber::platform
