#pragma once
// What kind of value a number format code shows, read from its first section.

#include <string_view>

namespace schreiber::automation {

enum class FormatKind {
  general,
  text,
  number,
  percent,
  currency,
  scientific,
  date,
  time,
  date_time
};

FormatKind number_format_kind(std::u16string_view code);

}  // namespace schreiber::automation
