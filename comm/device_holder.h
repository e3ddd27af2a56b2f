#pragma once
// Which other process holds a serial device, found without opening it: the lock file of
// the serial-device convention, or a flock or record lock on the device file as the
// kernel's lock table (/proc/locks) lists it.

#include <filesystem>
#include <optional>

#include "comm/device_tree.h"

namespace schreiber::comm {

struct DeviceHolder {
  std::optional<int> pid;           // when the lock names one
  std::filesystem::path lock_file;  // empty when the device file itself is locked
};

// `device`: the device file's real name (after symlinks).
std::optional<DeviceHolder> device_holder(const DeviceTree& tree,
                                          const std::filesystem::path& device);

}  // namespace schreiber::comm
