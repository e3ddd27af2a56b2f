#include "platform/date_format.h"

#include "platform/codepage.h"

namespace schreiber::platform {
namespace {

constexpr std::string_view kFlags = "_-0^#+";
constexpr const char* kFallback = "/";

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The number of bytes of the UTF-8 character that starts with `lead`.
std::size_t utf8_length(char lead) {
  const auto byte = static_cast<unsigned char>(lead);
  return byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

std::string in_codepage(std::string_view character) {
  const std::string converted = utf8_to_codepage(character);
  // '?' stands for a character the code page lacks, unless it was one itself.
  if (converted.size() != 1 || (converted == "?" && character != "?")) return kFallback;
  return converted;
}

}  // namespace

std::string date_separator_of_format(std::string_view format) {
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') return in_codepage(format.substr(i, utf8_length(format[i])));
    ++i;
    while (i < format.size() && kFlags.find(format[i]) != std::string_view::npos) ++i;
    while (i < format.size() && is_digit(format[i])) ++i;
    if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
    if (i == format.size()) break;
    switch (format[i++]) {
      case '%':
        return "%";
      case 'D':  // %m/%d/%y
        return "/";
      case 'F':  // %Y-%m-%d
        return "-";
      default:
        break;
    }
  }
  return kFallback;
}

}  // namespace schreiber::platform
