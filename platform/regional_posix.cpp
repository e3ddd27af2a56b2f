#include <langinfo.h>
#include <locale.h>

#include <string>

#include "platform/date_format.h"
#include "platform/regional.h"

namespace schreiber::platform {

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
  const char* date_format = nl_langinfo_l(D_FMT, loc);
  if (date_format != nullptr) regional.date_separator = date_separator_of_format(date_format);
  freelocale(loc);
  return regional;
}

}  // namespace schreiber::platform
