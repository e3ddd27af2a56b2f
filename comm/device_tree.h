#pragma once
// Where the system shows its serial devices, as folders: the device files (/dev), the
// kernel's device tree (/sys), the process table (/proc) and the lock folders. The
// system's own by default; tests hand in a temporary folder laid out the same way.

#include <filesystem>
#include <vector>

#include "comm/uucp_lock.h"

namespace schreiber::comm {

struct DeviceTree {
  std::filesystem::path dev = "/dev";
  std::filesystem::path sys = "/sys";
  std::filesystem::path proc = "/proc";
  std::vector<std::filesystem::path> lock_folders = default_lock_folders();
};

}  // namespace schreiber::comm
