#pragma once
// What makes a name a path on this platform, for names that must stay plain file names.

#include <string_view>

namespace schreiber::platform {

// "/" and "\" everywhere (a workbook may move to Windows); ":" too on Windows.
std::string_view path_characters();

}  // namespace schreiber::platform
