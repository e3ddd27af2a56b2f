#pragma once
// Why a port did not open, as one line for schreiber-cli capture, where the platform
// can tell.

#include <filesystem>
#include <optional>
#include <string>

namespace schreiber::cli {

// The device COM `port` of the program in `folder` opens and the reason it would not
// open; nothing where the platform cannot say.
std::optional<std::string> explain_open_failure(const std::filesystem::path& folder, int port);

}  // namespace schreiber::cli
