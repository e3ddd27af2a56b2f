#pragma once
// The user's regional settings that the program reads: the number format (for the port
// choice file) and the date separator (for the default date of a block header).

#include <optional>
#include <string>
#include <string_view>

namespace schreiber::platform {

struct Regional {
  char decimal_point = '.';
  char thousands_separator = ',';
  std::string date_separator = "/";

  // The settings of the user's locale (LC_NUMERIC, LC_TIME from the environment).
  static Regional from_system();
};

// The locale-aware number test and conversion: the same texts pass both. Accepts
// surrounding blanks, a sign, digits with thousands separators, one decimal point and an
// exponent. Returns nothing for any other text, an empty one included.
std::optional<double> parse_number(std::string_view text, const Regional& regional);

}  // namespace schreiber::platform
