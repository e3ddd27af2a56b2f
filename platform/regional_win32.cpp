#include "platform/win32_api.h"

#include <string>

#include "platform/regional.h"
#include "platform/text_win32.h"

namespace schreiber::platform {
namespace {

// One value of the user's regional settings, as code-page bytes; empty when unknown or
// when the code page has no byte for it.
std::string locale_value(LCTYPE type) {
  wchar_t value[16] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, 16);
  if (length <= 1) return {};
  const std::wstring_view wide(value, static_cast<std::size_t>(length - 1));
  const std::string bytes = wide_to_codepage(wide);
  if (bytes.find('?') != std::string::npos && wide.find(L'?') == std::wstring_view::npos) return {};
  return bytes;
}

}  // namespace

Regional Regional::from_system() {
  Regional regional;
  const std::string point = locale_value(LOCALE_SDECIMAL);
  const std::string thousands = locale_value(LOCALE_STHOUSAND);
  if (point.size() == 1) regional.decimal_point = point[0];
  // A separator the parser could not tell from the decimal point is left out.
  if (thousands.size() == 1 && thousands[0] != regional.decimal_point) {
    regional.thousands_separator = thousands[0];
  } else if (regional.decimal_point == ',') {
    regional.thousands_separator = '.';
  }
  const std::string date = locale_value(LOCALE_SDATE);
  if (!date.empty()) regional.date_separator = date;
  return regional;
}

}  // namespace schreiber::platform
