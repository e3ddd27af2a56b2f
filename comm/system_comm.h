#pragma once
// The serial calls of the platform the program runs on.

#include <filesystem>
#include <memory>

#include "comm/comm.h"

namespace schreiber::comm {

// On Windows the kernel32 calls; elsewhere termios, with ports found under
// <program folder>/ports (see posix_comm.h).
std::unique_ptr<Comm> make_system_comm(const std::filesystem::path& program_folder);

}  // namespace schreiber::comm
