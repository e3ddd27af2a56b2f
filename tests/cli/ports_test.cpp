// schreiber-cli ports and the capture's reason for a failed open: serial devices from a
// fake device tree in a temporary folder, ports on this machine's pseudo-terminals.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/port_links.h"
#include "cli/port_text.h"
#include "comm/account.h"
#include "comm/port_check.h"
#include "comm/posix_comm.h"
#include "comm/serial_devices.h"
#include "sim/pseudo_terminal.h"
#include "support/lock_files.h"
#include "support/temp_folder.h"
#include "window/form_harness.h"

namespace schreiber::comm {
// A device in a failed expectation, as `ports` shows it.
void PrintTo(const SerialDevice& device, std::ostream* out) {
  *out << cli::describe_device(device);
}
}  // namespace schreiber::comm

namespace schreiber::testing {
namespace {

namespace fs = std::filesystem;
using comm::PortState;

// A device tree in a temporary folder: dev/, sys/, proc/ and a lock folder.
struct FakeTree {
  TempFolder folder;
  comm::DeviceTree tree{folder / "dev", folder / "sys", folder / "proc", {folder / "lock"}};
  fs::path ports = folder / "ports";

  FakeTree() {
    for (const auto& made : {tree.dev, tree.sys, tree.proc, tree.lock_folders[0], ports}) {
      fs::create_directories(made);
    }
    write_file(tree.proc / "locks", "");
  }
  void link(const fs::path& at, const fs::path& target) const {
    fs::create_directories(at.parent_path());
    fs::create_symlink(target, at);
  }
  // A tty of the device tree: class/tty/NAME leads to DEVICE/tty/NAME, whose "device" is
  // DEVICE; `driver` names a driver of DEVICE under bus/.
  void tty(const std::string& name, const std::string& device, const std::string& driver) const {
    const fs::path device_folder = tree.sys / "devices" / device;
    fs::create_directories(device_folder / "tty" / name);
    link(device_folder / "tty" / name / "device", device_folder);
    link(tree.sys / "class/tty" / name, device_folder / "tty" / name);
    if (!driver.empty()) link(device_folder / "driver", tree.sys / "bus" / driver);
  }
};

// An account that is neither root nor the owner of what the test makes.
comm::Account stranger(std::vector<gid_t> groups = {}, std::vector<gid_t> member_of = {}) {
  return comm::Account{::getuid() + 1000, "anna", std::move(groups), std::move(member_of)};
}

TEST(SerialDevices, ListedFromTheDeviceTreeWithStableNamesDriversAndUsbNames) {
  FakeTree t;
  const std::string usb = "pci0000:00/usb1/1-1";
  t.tty("ttyUSB0", usb + "/1-1:1.0/ttyUSB0", "usb-serial/drivers/ftdi_sio");
  write_file(t.tree.sys / "devices" / usb / "idVendor", "0403\n");
  write_file(t.tree.sys / "devices" / usb / "idProduct", "6001\n");
  write_file(t.tree.sys / "devices" / usb / "manufacturer", "FTDI\n");
  write_file(t.tree.sys / "devices" / usb / "product", "FT232R USB UART\n");
  write_file(t.tree.dev / "ttyUSB0", "");
  const fs::path by_id = t.tree.dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  t.link(by_id, "../../ttyUSB0");
  // A built-in port behind the serial core's own devices (newer kernels), one without a chip,
  // and a tty that sits on no device.
  t.tty("ttyS0", "pnp0/00:05/00:05:0/00:05:0.0", "serial-base/drivers/port");
  t.link(t.tree.sys / "devices/pnp0/00:05/00:05:0/driver",
         t.tree.sys / "bus/serial-base/drivers/ctrl");
  t.link(t.tree.sys / "devices/pnp0/00:05/driver", t.tree.sys / "bus/pnp/drivers/serial");
  write_file(t.tree.sys / "class/tty/ttyS0/type", "4\n");
  t.tty("ttyS1", "platform/serial8250", "platform/drivers/serial8250");
  write_file(t.tree.sys / "class/tty/ttyS1/type", "0\n");
  fs::create_directories(t.tree.sys / "class/tty/console");

  const std::vector<comm::SerialDevice> expected = {
      {"ttyS0", t.tree.dev / "ttyS0", std::nullopt, "serial", "", ""},
      {"ttyUSB0", t.tree.dev / "ttyUSB0", by_id, "ftdi_sio", "0403:6001", "FTDI FT232R USB UART"},
  };
  EXPECT_EQ(comm::serial_devices(t.tree), expected);
}

TEST(PortCheck, EachPortShowsWhatItOpensAndWhetherItCan) {
  FakeTree t;
  sim::PseudoTerminal line;
  t.link(t.ports / "COM1", line.slave_path());
  t.link(t.ports / "COM3", t.tree.dev / "ttyUSB7");
  write_file(t.tree.dev / "ttyS3", "");
  write_file(t.tree.sys / "class/tty/ttyS3/type", "0\n");
  write_file(t.folder / "plain", "");
  t.link(t.ports / "COM5", t.folder / "plain");
  struct Case {
    const char* name;
    int number;
    PortState state;
    bool through_link;
    fs::path device;
  };
  for (const Case& c : std::vector<Case>{
           {"a link to a pseudo-terminal", 1, PortState::kCanOpen, true,
            fs::canonical(line.slave_path())},
           {"no link: the built-in name, not there", 2, PortState::kNoDevice, false,
            t.tree.dev / "ttyS1"},
           {"a link to a device that is gone", 3, PortState::kNoDevice, true,
            t.tree.dev / "ttyUSB7"},
           {"the built-in name without a chip behind it", 4, PortState::kNoUart, false,
            fs::canonical(t.tree.dev / "ttyS3")},
           {"a link to a plain file", 5, PortState::kNotADevice, true,
            fs::canonical(t.folder / "plain")},
       }) {
    SCOPED_TRACE(c.name);
    const auto check = comm::check_port(t.tree, comm::current_account(), t.ports, c.number);
    EXPECT_EQ(check.state, c.state);
    EXPECT_EQ(check.link.has_value(), c.through_link);
    EXPECT_EQ(check.device, c.device);
  }
}

TEST(PortCheck, PermissionComesFromOwnerGroupAndOtherBitsWithAHintAboutTheGroup) {
  struct Case {
    const char* name;
    mode_t mode;
    bool in_group, member_of_group;
    // Part of the reason; nothing: the user may open it; empty: no advice about the group.
    std::optional<std::string> hint;
  };
  for (const Case& c : std::vector<Case>{
           {"group may, user not in it", 0660, false, false, "is not in group"},
           {"group may, user added since the login", 0660, false, true, "next login"},
           {"group may, user in it", 0660, true, true, std::nullopt},
           {"group may only read", 0640, true, true, ""},
       }) {
    SCOPED_TRACE(c.name);
    FakeTree t;
    write_file(t.tree.dev / "ttyS0", "");
    fs::permissions(t.tree.dev / "ttyS0", static_cast<fs::perms>(c.mode));
    struct stat info {};
    ASSERT_EQ(::stat((t.tree.dev / "ttyS0").c_str(), &info), 0);
    const std::vector<gid_t> group = {info.st_gid};
    const auto account = stranger(c.in_group ? group : std::vector<gid_t>{},
                                  c.member_of_group ? group : std::vector<gid_t>{});

    const auto check = comm::check_port(t.tree, account, t.ports, 1);
    if (!c.hint) {
      EXPECT_EQ(check.state, PortState::kNotADevice) << "past the permission, at the file type";
      continue;
    }
    EXPECT_EQ(check.state, PortState::kNoPermission);
    const std::string reason = cli::port_reason(check, account);
    EXPECT_EQ(reason.rfind("permission denied", 0), 0u) << reason;
    EXPECT_NE(reason.find(*c.hint), std::string::npos) << reason;
    if (c.hint->empty()) {
      EXPECT_EQ(reason.find("log out"), std::string::npos) << reason;
    }
  }
}

TEST(PortCheck, ADeviceHeldByAnotherProgramIsFoundByItsLockFileOrItsFileLock) {
  FakeTree t;
  sim::PseudoTerminal line;
  t.link(t.ports / "COM1", line.slave_path());
  const fs::path lock_file =
      t.tree.lock_folders[0] / ("LCK.." + fs::canonical(line.slave_path()).filename().string());
  const auto check = [&](const comm::DeviceTree& tree) {
    return comm::check_port(tree, comm::current_account(), t.ports, 1);
  };

  // A lock file of a live process (init), and one of a process that is gone.
  write_file(lock_file, lock_text(1));
  auto held = check(t.tree);
  ASSERT_EQ(held.state, PortState::kHeld);
  EXPECT_EQ(held.holder->pid, 1);
  EXPECT_EQ(held.holder->lock_file, lock_file);
  write_file(lock_file, std::to_string(ended_process()) + "\n");  // not aligned: read as well
  EXPECT_EQ(check(t.tree).state, PortState::kCanOpen);
  // Our own process id in a lock this process did not write: left from before a restart.
  write_file(lock_file, lock_text(::getpid()));
  EXPECT_EQ(check(t.tree).state, PortState::kCanOpen);
  // No process id in it: held, and the reason names the file to remove.
  write_file(lock_file, "");
  held = check(t.tree);
  ASSERT_EQ(held.state, PortState::kHeld);
  EXPECT_FALSE(held.holder->pid);
  EXPECT_EQ(cli::port_reason(held, comm::current_account()),
            "held by lock file " + lock_file.string() +
                ", which names no process; if no program uses the port, remove that file");
  fs::remove(lock_file);

  // The program's own open also locks the device file: without a lock folder the kernel's
  // lock table still shows the holder. (Its lock file is the serial line test's business.)
  comm::PosixComm holder(t.ports, "/dev/ttyS", t.tree.lock_folders);
  const comm::Handle handle = holder.CreateFile("COM1");
  ASSERT_GT(handle, 0);
  comm::DeviceTree no_lock_folder = t.tree;
  no_lock_folder.lock_folders.clear();
  no_lock_folder.proc = "/proc";
  held = check(no_lock_folder);
  ASSERT_EQ(held.state, PortState::kHeld);
  EXPECT_EQ(held.holder->pid, ::getpid());
  EXPECT_TRUE(held.holder->lock_file.empty());
  holder.CloseHandle(handle);
  EXPECT_EQ(check(no_lock_folder).state, PortState::kCanOpen);
}

// The capture of schreiber-cli: after the window's message for a port that did not open,
// one line with the device and the reason.
TEST(CaptureOpenFailure, TheLineAfterTheMessageNamesTheDeviceAndTheReason) {
  FakeTree t;
  t.tty("ttyUSB3", "usb/ttyUSB3", "");  // the one serial device the tree shows
  // A device file the user may not use: read and write for its owner and group only.
  const fs::path guarded = t.tree.dev / "ttyUSB1";
  write_file(guarded, "");
  fs::permissions(guarded, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::group_write);
  struct stat info {};
  ASSERT_EQ(::stat(guarded.c_str(), &info), 0);
  const std::string group = comm::group_name(info.st_gid);
  const comm::Account anna = stranger();  // in no group
  const comm::Account me = comm::current_account();
  sim::PseudoTerminal line;
  const fs::path pty = fs::canonical(line.slave_path());
  const fs::path lock_file = t.tree.lock_folders[0] / ("LCK.." + pty.filename().string());

  struct Case {
    const char* name;
    fs::path device;  // what ports/COM1 leads to
    bool held;
    const char* lock_file_text;  // a lock file of no process, when not null
    const comm::Account& account;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {"no device", t.tree.dev / "ttyUSB0", false, nullptr, me,
            "no such device; serial devices here: " + (t.tree.dev / "ttyUSB3").string()},
           {"permission", guarded, false, nullptr, anna,
            "permission denied (-rw-rw---- " + comm::user_name(info.st_uid) + ":" + group +
                "): user anna is not in group " + group + "; add it with 'sudo adduser anna " +
                group + "', then log out and in again"},
           {"held", pty, true, nullptr, me,
            "held by another program (process " + std::to_string(::getpid()) + ", lock file " +
                lock_file.string() + ")"},
           {"a lock file naming no process", pty, false, "busy\n", me,
            "held by lock file " + lock_file.string() +
                ", which names no process; if no program uses the port, remove that file"},
       }) {
    SCOPED_TRACE(c.name);
    fs::remove(t.ports / "COM1");
    fs::create_symlink(c.device, t.ports / "COM1");
    comm::PosixComm other(t.ports, (t.tree.dev / "ttyS").string(), t.tree.lock_folders);
    fs::remove(lock_file);
    if (c.lock_file_text) write_file(lock_file, c.lock_file_text);
    if (c.held) {
      ASSERT_GT(other.CreateFile("COM1"), 0);
    }

    // The capture ends as one whose port did not open (the message it shows is the window
    // tests' business); that is when schreiber-cli adds the line.
    comm::PosixComm comm(t.ports, (t.tree.dev / "ttyS").string(), t.tree.lock_folders);
    FormHarness h(comm);
    h.form.Form_Load();
    EXPECT_FALSE(h.click());
    EXPECT_EQ(h.form.last_capture_end(), window::CaptureEnd::kPortNotOpened);

    const auto check = comm::check_port(t.tree, c.account, t.ports, 1);
    EXPECT_EQ(
        cli::open_failure_line(check, c.account, comm::serial_devices(t.tree)),
        "COM 1: " + (t.ports / "COM1").string() + " -> " + c.device.string() + ": " + c.expected);
  }
}

TEST(PortLinks, LinkTakesTheByIdNameRefusesWhatIsNoDeviceAndUnlinkRemovesOnlyLinks) {
  FakeTree t;
  sim::PseudoTerminal line;
  const fs::path by_id = t.tree.dev / "serial/by-id/usb-Maker_Cable_0001-if00-port0";
  fs::remove(t.ports);  // made on the first link

  EXPECT_EQ(cli::link_port(t.tree, t.ports, 2, line.slave_path().string()), line.slave_path());
  t.link(by_id, line.slave_path());
  EXPECT_EQ(cli::link_port(t.tree, t.ports, 2, line.slave_path().string()), by_id);
  EXPECT_EQ(fs::read_symlink(t.ports / "COM2"), by_id);
  EXPECT_EQ(comm::check_port(t.tree, comm::current_account(), t.ports, 2).state,
            PortState::kCanOpen);

  write_file(t.tree.dev / "ttyS9", "");
  for (const std::string& refused :
       std::vector<std::string>{"ttyUSB3", "ttyS9", (t.tree.dev / "ttyUSB3").string()}) {
    SCOPED_TRACE(refused);
    EXPECT_THROW(cli::link_port(t.tree, t.ports, 2, refused), std::runtime_error);
    EXPECT_EQ(fs::read_symlink(t.ports / "COM2"), by_id);
  }

  EXPECT_TRUE(cli::unlink_port(t.ports, 2));
  EXPECT_FALSE(fs::exists(fs::symlink_status(t.ports / "COM2")));
  EXPECT_FALSE(cli::unlink_port(t.ports, 2));
  write_file(t.ports / "COM3", "kept");
  EXPECT_THROW(cli::unlink_port(t.ports, 3), std::runtime_error);
  EXPECT_EQ(read_file(t.ports / "COM3"), "kept");
}

}  // namespace
}  // namespace schreiber::testing
