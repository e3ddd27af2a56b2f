#include <langinfo.h>
#include <locale.h>

#include <string>

#include "platform/regional.h"

namespace schreiber::platform {
namespace {

// The first character of the locale's date format that separates %d, %m and %y/%Y.
std::string date_separator_of(const char* format) {
  if (format == nullptr) return "/";
  const std::string f = format;
  for (std::size_t i = 0; i + 2 < f.size(); ++i) {
    if (f[i] == '%' && f[i + 2] != '%') {
      const char sep = f[i + 2];
      if (sep != ' ' && !(sep >= 'a' && sep <= 'z') && !(sep >= 'A' && sep <= 'Z')) {
        return std::string(1, sep);
      }
    }
  }
  return "/";
}

}  // namespace

Regional Regional::from_system() {
  Regional regional;
  locale_t loc = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return regional;
  const char* point = nl_langinfo_l(RADIXCHAR, loc);
  const char* thousands = nl_langinfo_l(THOUSEP, loc);
  if (point != nullptr && point[0] != '\0' && point[1] == '\0') regional.decimal_point = point[0];
  if (thousands != nullptr && thousands[0] != '\0' && thousands[1] == '\0' &&
      thousands[0] != regional.decimal_point) {
    regional.thousands_separator = thousands[0];
  } else if (regional.decimal_point == ',') {
    regional.thousands_separator = '.';
  }
  regional.date_separator = date_separator_of(nl_langinfo_l(D_FMT, loc));
  freelocale(loc);
  return regional;
}

}  // namespace schreiber::platform
