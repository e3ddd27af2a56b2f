#include "platform/file_names.h"

namespace schreiber::platform {

std::string_view path_characters() {
  return "/\\:";
}

}  // namespace schreiber::platform
