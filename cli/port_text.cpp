#include "cli/port_text.h"

#include <sys/stat.h>

namespace schreiber::cli {
namespace {

// "crw-rw---- root:dialout"
std::string mode_and_owners(const comm::PortCheck& check) {
  std::string text = S_ISCHR(check.mode) ? "c" : (S_ISDIR(check.mode) ? "d" : "-");
  const char* letters = "rwxrwxrwx";
  for (int bit = 0; bit < 9; ++bit) {
    text += (check.mode & (0400 >> bit)) != 0 ? letters[bit] : '-';
  }
  text += ' ';
  text += comm::user_name(check.owner);
  text += ':';
  text += comm::group_name(check.group);
  return text;
}

std::string permission_reason(const comm::PortCheck& check, const comm::Account& account) {
  const std::string group = comm::group_name(check.group);
  std::string text = "permission denied (" + mode_and_owners(check) + ")";
  const bool group_may = (check.mode & 060) == 060;
  if (!group_may || check.in_group) return text;
  if (check.member_of_group) {
    return text + ": user " + account.name + " is in group " + group +
           " only from the next login; log out and in again";
  }
  return text + ": user " + account.name + " is not in group " + group +
         "; add it with 'sudo adduser " + account.name + " " + group +
         "', then log out and in again";
}

std::string held_reason(const comm::PortCheck& check) {
  std::string text = "held by another program";
  if (!check.holder) return text;
  const comm::DeviceHolder& holder = *check.holder;
  // Such a file may be a program's in the middle of writing it, or one of a convention we
  // do not know: it is honoured, and the operator told what to remove if it is a leftover.
  if (!holder.pid && !holder.lock_file.empty()) {
    return "held by lock file " + holder.lock_file.string() +
           ", which names no process; if no program uses the port, remove that file";
  }
  std::string details;
  if (holder.pid) details = "process " + std::to_string(*holder.pid);
  if (!holder.lock_file.empty()) {
    details +=
        (details.empty() ? "" : ", ") + std::string("lock file ") + holder.lock_file.string();
  } else {
    details += (details.empty() ? "" : ", ") + std::string("a lock on the device file");
  }
  return text + " (" + details + ")";
}

}  // namespace

std::string describe_device(const comm::SerialDevice& device) {
  std::string text = "  " + device.by_id.value_or(device.path).string() + "\n      " + device.name;
  if (device.by_id) text += " (" + device.path.string() + ")";
  if (!device.driver.empty()) text += ", driver " + device.driver;
  if (!device.usb_id.empty()) text += ", USB " + device.usb_id;
  if (!device.usb_name.empty()) text += " " + device.usb_name;
  return text;
}

std::string port_subject(const comm::PortCheck& check, const std::filesystem::path& folder) {
  if (!check.link) return check.device.string();
  const std::filesystem::path relative = check.link->lexically_relative(folder);
  std::string text =
      relative.empty() || *relative.begin() == ".." ? check.link->string() : relative.string();
  const std::filesystem::path target = check.link_target.value_or(check.device);
  text += " -> " + target.string();
  if (target.filename() != check.device.filename()) {
    text += " (" + check.device.filename().string() + ")";
  }
  return text;
}

std::string port_reason(const comm::PortCheck& check, const comm::Account& account) {
  switch (check.state) {
    case comm::PortState::kCanOpen:
      return "can be opened";
    case comm::PortState::kNoDevice:
      return "no such device";
    case comm::PortState::kNoPermission:
      return permission_reason(check, account);
    case comm::PortState::kNoUart:
      return "no serial port behind this name (the kernel found no chip for it)";
    case comm::PortState::kNotADevice:
      return "not a device";
    case comm::PortState::kHeld:
      return held_reason(check);
  }
  return {};
}

std::string open_failure_line(const comm::PortCheck& check, const comm::Account& account,
                              const std::vector<comm::SerialDevice>& present) {
  std::string text = "COM " + std::to_string(check.number) + ": " + port_subject(check, {}) + ": ";
  if (check.state == comm::PortState::kCanOpen) {
    return text +
           "there, and no lock of another program found; it may be held without a lock, or "
           "not be a serial port";
  }
  text += port_reason(check, account);
  if (check.state != comm::PortState::kNoDevice) return text;
  if (present.empty()) return text + "; no serial devices found";
  text += "; serial devices here:";
  for (std::size_t i = 0; i < present.size(); ++i) {
    text += (i == 0 ? " " : ", ") + present[i].by_id.value_or(present[i].path).string();
  }
  return text;
}

}  // namespace schreiber::cli
