#pragma once
// The pieces of ProcessBlocks: decoding a block header into its six header fields,
// the defaults, the normalised header, the time stamp and the file names.

#include <array>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace schreiber::convert {

// Header fields in order: name, template, export switch, field 4, comment, date.
struct HeaderFields {
  std::array<std::string, 6> field;

  std::string& name() { return field[0]; }
  std::string& template_name() { return field[1]; }
  std::string& export_switch() { return field[2]; }
};

// Splits element (b, 0) at ETX and STX. The label before the first STX, characters with
// codes 0 to 30 and everything after the sixth header field are dropped. Fails with
// "Overflow" for a header longer than 32767 characters.
HeaderFields decode_header(const std::string& header);

// Fills the empty fields with their defaults and appends ".xls" to the template field.
void apply_defaults(HeaderFields& fields, const platform::DateTime& now,
                    const std::string& date_separator);

// "001", STX, then the six fields separated by ETX.
std::string normalised_header(const HeaderFields& fields);

// "dd" sep "mm" sep "yyyy".
std::string date_text(const platform::DateTime& date, const std::string& separator);

// Year (not padded), month, day, "_", hour, minute: 20310307_1405.
std::string time_stamp(const platform::DateTime& now);

// Without leading and trailing spaces (only the space character).
std::string trim_spaces(std::string_view text);

// The name with every path character replaced by "_", so that it stays in its folder.
std::string file_name_safe(std::string name);

}  // namespace schreiber::convert
