#pragma once
// The date separator that a POSIX locale's date format (D_FMT, such as "%d.%m.%Y") implies.

#include <string>
#include <string_view>

namespace schreiber::platform {

// The first character of the format outside its conversions (each skipped with its flags,
// width and modifier; %D counts as "/", %F as "-"), as code-page text. "/" when there is
// none or the code page has no character for it. The format is UTF-8.
std::string date_separator_of_format(std::string_view format);

}  // namespace schreiber::platform
