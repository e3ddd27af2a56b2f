// The capture of schreiber-cli: after the window's message for a port that did not open,
// one line with the device and the reason. The window's message stays as it is.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/port_text.h"
#include "comm/port_check.h"
#include "comm/posix_comm.h"
#include "comm/serial_devices.h"
#include "sim/pseudo_terminal.h"
#include "window/form_harness.h"

namespace schreiber::testing {
namespace {

namespace fs = std::filesystem;

TEST(CaptureOpenFailure, TheLineAfterTheMessageNamesTheDeviceAndTheReason) {
  TempFolder folder;
  const comm::DeviceTree tree{folder / "dev", folder / "sys", folder / "proc", {folder / "lock"}};
  const fs::path ports = folder / "ports";
  for (const auto& made :
       {tree.dev, tree.lock_folders[0], ports, tree.sys / "devices/usb/ttyUSB3"}) {
    fs::create_directories(made);
  }
  // The one serial device the tree shows.
  fs::create_directories(tree.sys / "class/tty/ttyUSB3");
  fs::create_symlink(tree.sys / "devices/usb/ttyUSB3", tree.sys / "class/tty/ttyUSB3/device");
  // A device file the user may not use: read and write for its owner and group only.
  const fs::path guarded = tree.dev / "ttyUSB1";
  write_file(guarded, "");
  fs::permissions(guarded, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::group_write);
  struct stat info {};
  ASSERT_EQ(::stat(guarded.c_str(), &info), 0);
  const std::string group = comm::group_name(info.st_gid);
  // Someone who is neither root nor the owner, and in no group.
  const comm::Account stranger{::getuid() + 1000, "anna", {}, {}};
  const comm::Account me = comm::current_account();
  sim::PseudoTerminal line;
  const fs::path pty = fs::canonical(line.slave_path());
  const fs::path lock_file = tree.lock_folders[0] / ("LCK.." + pty.filename().string());

  struct Case {
    const char* name;
    fs::path device;  // what ports/COM1 leads to
    bool held;
    const comm::Account& account;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {"no device", tree.dev / "ttyUSB0", false, me,
            "no such device; serial devices here: " + (tree.dev / "ttyUSB3").string()},
           {"permission", guarded, false, stranger,
            "permission denied (-rw-rw---- " + comm::user_name(info.st_uid) + ":" + group +
                "): user anna is not in group " + group + "; add it with 'sudo adduser anna " +
                group + "', then log out and in again"},
           {"held", pty, true, me,
            "held by another program (process " + std::to_string(::getpid()) + ", lock file " +
                lock_file.string() + ")"},
       }) {
    SCOPED_TRACE(c.name);
    fs::remove(ports / "COM1");
    fs::create_symlink(c.device, ports / "COM1");
    comm::PosixComm other(ports, (tree.dev / "ttyS").string(), tree.lock_folders);
    if (c.held) {
      ASSERT_GT(other.CreateFile("COM1"), 0);
    }

    comm::PosixComm comm(ports, (tree.dev / "ttyS").string(), tree.lock_folders);
    FormHarness h(comm);
    h.form.Form_Load();
    EXPECT_FALSE(h.click());
    EXPECT_EQ(h.form.last_capture_end(), window::CaptureEnd::kPortNotOpened);
    const std::vector<window::Message> shown = {
        {"Port opening Error\rError Number: -1", 16, "Error"}};
    EXPECT_EQ(h.view.messages(), shown);

    const auto check = comm::check_port(tree, c.account, ports, 1);
    EXPECT_EQ(
        cli::open_failure_line(check, c.account, comm::serial_devices(tree)),
        "COM 1: " + (ports / "COM1").string() + " -> " + c.device.string() + ": " + c.expected);
  }
}

}  // namespace
}  // namespace schreiber::testing
