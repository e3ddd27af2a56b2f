#include "comm/serial_devices.h"

#include <algorithm>
#include <fstream>

namespace schreiber::comm {
namespace fs = std::filesystem;

namespace {

// The first line of a small attribute file, without its line end; empty when unreadable.
std::string attribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// The driver of the nearest device from `device` upwards, skipping the serial core's own
// "port" and "ctrl" drivers, which newer kernels put between a UART and its chip driver.
std::string driver_of(const fs::path& device, const fs::path& sys) {
  std::error_code error;
  for (fs::path at = device; at.has_relative_path() && at != sys; at = at.parent_path()) {
    const fs::path driver = fs::read_symlink(at / "driver", error);
    if (error) continue;
    if (driver.parent_path().parent_path().filename() == "serial-base") continue;
    return driver.filename().string();
  }
  return {};
}

// The USB device above `device`: the first folder upwards with a vendor number.
std::optional<fs::path> usb_device_of(const fs::path& device, const fs::path& sys) {
  std::error_code error;
  for (fs::path at = device; at.has_relative_path() && at != sys; at = at.parent_path()) {
    if (fs::exists(at / "idVendor", error)) return at;
  }
  return std::nullopt;
}

}  // namespace

std::vector<SerialDevice> serial_devices(const DeviceTree& tree) {
  std::vector<SerialDevice> found;
  std::error_code error;
  const fs::path ttys = tree.sys / "class/tty";
  const fs::path sys = fs::weakly_canonical(tree.sys, error);
  for (const auto& entry : fs::directory_iterator(ttys, error)) {
    const std::string name = entry.path().filename().string();
    const fs::path device = fs::canonical(entry.path() / "device", error);
    if (error || has_no_uart(tree, name)) continue;
    SerialDevice serial;
    serial.name = name;
    serial.path = tree.dev / name;
    serial.by_id = by_id_name(tree, serial.path);
    serial.driver = driver_of(device, sys);
    if (const auto usb = usb_device_of(device, sys)) {
      serial.usb_id = attribute(*usb / "idVendor") + ":" + attribute(*usb / "idProduct");
      const std::string maker = attribute(*usb / "manufacturer");
      const std::string product = attribute(*usb / "product");
      serial.usb_name = maker.empty() || product.empty() ? maker + product : maker + " " + product;
    }
    found.push_back(std::move(serial));
  }
  std::sort(found.begin(), found.end(),
            [](const SerialDevice& a, const SerialDevice& b) { return a.name < b.name; });
  return found;
}

std::optional<fs::path> by_id_name(const DeviceTree& tree, const fs::path& device) {
  std::error_code error;
  const fs::path real = fs::canonical(device, error);
  if (error) return std::nullopt;
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(tree.dev / "serial/by-id", error)) {
    std::error_code broken;
    if (fs::canonical(entry.path(), broken) == real && !broken) names.push_back(entry.path());
  }
  if (names.empty()) return std::nullopt;
  // Several names for one device are rare; the first in order keeps the choice stable.
  return *std::min_element(names.begin(), names.end());
}

bool has_no_uart(const DeviceTree& tree, const std::string& name) {
  return attribute(tree.sys / "class/tty" / name / "type") == "0";
}

}  // namespace schreiber::comm
