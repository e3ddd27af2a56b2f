// schreiber-cli ports: the serial devices present, what COM 1 to COM 9 open and whether
// they can, and the links of the ports folder. Lists without opening any device.

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/command_registry.h"
#include "cli/port_links.h"
#include "cli/port_text.h"
#include "comm/account.h"
#include "comm/device_tree.h"
#include "comm/port_check.h"
#include "comm/serial_devices.h"
#include "window/form2_design.h"

namespace schreiber::cli {
namespace {

constexpr int kFailed = 1;
constexpr int kBadInput = 64;
// The ports of the window's list: COM 1 to COM 9.
constexpr int kPorts = static_cast<int>(std::size(window::kComboEntries));

constexpr const char* kUsage =
    "usage: schreiber-cli ports [--folder DIR]\n"
    "       schreiber-cli ports link N DEVICE [--folder DIR]\n"
    "       schreiber-cli ports unlink N [--folder DIR]\n"
    "Lists the serial devices present and, for COM 1 to COM 9, the device each would open\n"
    "and whether it can be opened now. No device is opened.\n"
    "  link N DEVICE  points DIR/ports/COMN at DEVICE (/dev/ttyUSB0, ttyUSB0, or a\n"
    "                 /dev/serial/by-id name); at its by-id name when it has one, so that\n"
    "                 the link survives re-plugging\n"
    "  unlink N       removes DIR/ports/COMN: COM N is /dev/ttyS<N-1> again\n"
    "DIR defaults to the program's folder.\n"
    "exit status: 0 done, 1 the link could not be made or removed, 64 bad input\n";

void list_devices(const std::vector<comm::SerialDevice>& devices) {
  std::cout << "Serial devices:\n";
  if (devices.empty()) std::cout << "  none found\n";
  for (const auto& device : devices) std::cout << describe_device(device) << '\n';
}

void print_port(const comm::DeviceTree& tree, const comm::Account& account,
                const std::filesystem::path& folder, int number) {
  const auto check = comm::check_port(tree, account, comm::ports_folder_of(folder), number);
  std::cout << "  COM " << number << "  " << port_subject(check, folder) << ": "
            << port_reason(check, account) << '\n';
}

int list(const std::filesystem::path& folder) {
  const comm::DeviceTree tree;
  const comm::Account account = comm::current_account();
  list_devices(comm::serial_devices(tree));
  std::cout << "\nPorts of " << folder.string() << ":\n";
  for (int number = 1; number <= kPorts; ++number) print_port(tree, account, folder, number);
  return 0;
}

int link(const std::filesystem::path& folder, int number, const std::string& device) {
  const comm::DeviceTree tree;
  try {
    link_port(tree, comm::ports_folder_of(folder), number, device);
  } catch (const std::runtime_error& failure) {
    std::cerr << "schreiber-cli ports: " << failure.what() << '\n';
    list_devices(comm::serial_devices(tree));
    return kFailed;
  }
  print_port(tree, comm::current_account(), folder, number);
  return 0;
}

int unlink(const std::filesystem::path& folder, int number) {
  try {
    if (!unlink_port(comm::ports_folder_of(folder), number)) {
      std::cout << "COM " << number << " had no link\n";
    }
  } catch (const std::runtime_error& failure) {
    std::cerr << "schreiber-cli ports: " << failure.what() << '\n';
    return kFailed;
  }
  print_port(comm::DeviceTree{}, comm::current_account(), folder, number);
  return 0;
}

int run(const std::vector<std::string>& raw) {
  std::filesystem::path folder;
  std::vector<std::string> words;
  int number = 0;
  try {
    const Arguments args(raw, {"--help"}, {"--folder"});
    if (args.has("--help")) {
      std::cout << kUsage;
      return 0;
    }
    folder = folder_argument(args);
    words = args.words();
    const std::size_t wanted = words.empty() ? 0 : (words[0] == "link" ? 3 : 2);
    if (!words.empty() && words[0] != "link" && words[0] != "unlink") {
      throw UsageError("unexpected argument '" + words[0] + "'");
    }
    if (words.size() != wanted)
      throw UsageError(words[0] + " takes " + (wanted == 3 ? "N DEVICE" : "N"));
    if (!words.empty()) number = static_cast<int>(parse_integer(words[1], 1, kPorts, "N"));
  } catch (const UsageError& error) {
    std::cerr << "schreiber-cli ports: " << error.what() << '\n';
    return kBadInput;
  }
  if (words.empty()) return list(folder);
  if (words[0] == "link") return link(folder, number, words[2]);
  return unlink(folder, number);
}

const bool registered = register_command(
    {"ports", "list the serial devices and what COM 1 to COM 9 open; link a port", run});

}  // namespace
}  // namespace schreiber::cli
