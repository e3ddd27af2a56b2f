#include "platform/files.h"

namespace schreiber::platform {

std::string first_line_of(std::string_view content) {
  // Old editors end lines with a lone CR; LF alone and CR LF end them just as well.
  return std::string(content.substr(0, content.find_first_of("\r\n")));
}

}  // namespace schreiber::platform
