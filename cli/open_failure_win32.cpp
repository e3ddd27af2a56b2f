#include "cli/open_failure.h"

namespace schreiber::cli {

// The port names are the system's own here, and the window's message with its code is
// all that is said.
std::optional<std::string> explain_open_failure(const std::filesystem::path&, int) {
  return std::nullopt;
}

}  // namespace schreiber::cli
