#pragma once
// What a port of the window's list would open, and whether it could: found by looking at
// the device file, the device tree and the locks, never by opening the device.

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "comm/account.h"
#include "comm/device_holder.h"
#include "comm/device_tree.h"

namespace schreiber::comm {

enum class PortState {
  kCanOpen,       // nothing found that would stop the open
  kNoDevice,      // no device file by that name (or the link leads nowhere)
  kNoPermission,  // the user may not read and write it
  kNoUart,        // a name of the built-in serial driver with no chip behind it
  kNotADevice,    // a plain file or folder, not a device
  kHeld,          // another program holds it
};

struct PortCheck {
  int number = 0;  // COM n
  // <ports folder>/COMn and what it points at, when the port opens that link.
  std::optional<std::filesystem::path> link;
  std::optional<std::filesystem::path> link_target;
  std::filesystem::path device;  // the device file the open ends at (after every link)
  PortState state = PortState::kCanOpen;
  // The device file's owner, group and mode, when it is there.
  uid_t owner = 0;
  gid_t group = 0;
  mode_t mode = 0;
  // kNoPermission: whether this process has the device's group, and whether the user
  // database gives it to the user (it then counts from the next login).
  bool in_group = false;
  bool member_of_group = false;
  std::optional<DeviceHolder> holder;  // kHeld
};

// Checks COM `number` (from 1) of a program whose ports folder is `ports_folder`, by the
// same mapping as the open.
PortCheck check_port(const DeviceTree& tree, const Account& account,
                     const std::filesystem::path& ports_folder, int number);

}  // namespace schreiber::comm
