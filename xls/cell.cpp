#include "xls/cell.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace xls {

namespace {

std::u16string widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string general_number(double number) {
  if (std::isnan(number)) return "#NUM!";
  if (std::isinf(number)) return number > 0 ? "#NUM!" : "-#NUM!";
  if (number == 0) return "0";
  char buffer[64];
  if (std::fabs(number) < 1e15 && number == std::trunc(number)) {
    std::snprintf(buffer, sizeof buffer, "%.0f", number);
    return buffer;
  }
  std::snprintf(buffer, sizeof buffer, "%.15G", number);
  std::string text = buffer;
  // Drop a leading zero and the plus sign in exponents: 1E+020 style printers vary.
  const std::size_t e = text.find('E');
  if (e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    const char sign = exponent[0];
    exponent = exponent.substr(1);
    while (exponent.size() > 2 && exponent[0] == '0') exponent.erase(0, 1);
    text = mantissa + "E" + sign + exponent;
  }
  return text;
}

const char* error_text(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    case 0x2B:
      return "#GETTING_DATA";
    default:
      return "#ERR!";
  }
}

}  // namespace

bool is_error_code(std::uint8_t code) {
  switch (code) {
    case 0x00:
    case 0x07:
    case 0x0F:
    case 0x17:
    case 0x1D:
    case 0x24:
    case 0x2A:
      return true;
    default:
      return false;
  }
}

std::u16string display_text(const CellValue& value) {
  switch (value.kind) {
    case CellKind::blank:
      return u"";
    case CellKind::text:
      return value.text;
    case CellKind::number:
      return widen(general_number(value.number));
    case CellKind::boolean:
      return value.boolean ? u"TRUE" : u"FALSE";
    case CellKind::error:
      return widen(error_text(value.error_code));
  }
  return u"";
}

}  // namespace xls
