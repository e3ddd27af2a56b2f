#pragma once
// Numbers written as texts by FIXED, DOLLAR and TEXT: a fixed number of decimals with or
// without thousands separators, and the number format codes made of 0 # ? . , % E+00 with
// literal text around them (quoted, \-escaped, or one of $ - + ( ) : / and space), in up to
// three sections (positive; negative; zero). US-English separators.

#include <optional>
#include <string>
#include <string_view>

namespace xls::formula {

// The number rounded to decimals (negative: to tens, hundreds, ...) with "," between
// thousands unless no_commas.
std::u16string fixed_text(double number, int decimals, bool no_commas);

// What the format code shows for the number, or nothing for a code this does not handle
// (dates and times are xls::show_date_time's).
std::optional<std::u16string> formatted_number(double number, std::u16string_view code);

}  // namespace xls::formula
