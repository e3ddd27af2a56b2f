#include "comm/port_check.h"

#include <sys/stat.h>

#include <string>

#include "comm/posix_comm.h"
#include "comm/serial_devices.h"

namespace schreiber::comm {
namespace fs = std::filesystem;

namespace {

// Where a chain of links ends, also when its last target is missing.
fs::path end_of_links(const fs::path& path) {
  std::error_code error;
  fs::path at = path;
  for (int hops = 0; hops < 40 && fs::is_symlink(at, error); ++hops) {
    const fs::path next = fs::read_symlink(at, error);
    if (error) break;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return at.lexically_normal();
}

}  // namespace

PortCheck check_port(const DeviceTree& tree, const Account& account, const fs::path& ports_folder,
                     int number) {
  PortCheck check;
  check.number = number;
  // The open's own mapping: the ports folder's link, else the built-in port's name.
  const PosixComm mapping(ports_folder, (tree.dev / "ttyS").string(), tree.lock_folders);
  const auto mapped = mapping.device_path("COM" + std::to_string(number));
  if (!mapped) {
    check.state = PortState::kNoDevice;
    return check;
  }
  const fs::path& path = *mapped;
  std::error_code error;
  if (path.parent_path() == ports_folder) {
    check.link = path;
    if (const fs::path target = fs::read_symlink(path, error); !error) check.link_target = target;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    check.device = end_of_links(path);
    check.state = PortState::kNoDevice;
    return check;
  }
  check.device = fs::canonical(path, error);
  check.owner = info.st_uid;
  check.group = info.st_gid;
  check.mode = info.st_mode;
  check.in_group = has_group(account.groups, info.st_gid);
  check.member_of_group = has_group(account.member_of, info.st_gid);
  if (!may_read_write(account, info.st_uid, info.st_gid, info.st_mode)) {
    check.state = PortState::kNoPermission;
  } else if (has_no_uart(tree, check.device.filename().string())) {
    check.state = PortState::kNoUart;
  } else if (!S_ISCHR(info.st_mode)) {
    check.state = PortState::kNotADevice;
  } else if ((check.holder = device_holder(tree, check.device))) {
    check.state = PortState::kHeld;
  }
  return check;
}

}  // namespace schreiber::comm
