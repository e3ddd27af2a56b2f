#pragma once
// The serial devices present, as the kernel's device tree shows them. Reads names, links
// and small attribute files only: no device is opened.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "comm/device_tree.h"

namespace schreiber::comm {

struct SerialDevice {
  std::string name;            // the kernel's name: ttyUSB0, ttyACM0, ttyS0
  std::filesystem::path path;  // the device file: /dev/ttyUSB0
  // The stable name under /dev/serial/by-id, which survives re-plugging, when udev made one.
  std::optional<std::filesystem::path> by_id;
  std::string driver;  // ftdi_sio, cdc_acm, serial, ...; empty when the tree names none
  // On USB: vendor and product number ("0403:6001") and the names the device gives itself.
  std::string usb_id;
  std::string usb_name;

  bool operator==(const SerialDevice&) const = default;
};

// Every tty of the device tree that sits on a device, in name order. A name of the
// built-in serial driver whose port the kernel found no chip for (type 0) is left out:
// it exists on every PC whether there is a port or not.
std::vector<SerialDevice> serial_devices(const DeviceTree& tree);

// The by-id name that leads to `device` (any name of it), when there is one.
std::optional<std::filesystem::path> by_id_name(const DeviceTree& tree,
                                                const std::filesystem::path& device);

// True when the device tree says that the built-in serial driver found no chip behind
// the device of this kernel name.
bool has_no_uart(const DeviceTree& tree, const std::string& name);

}  // namespace schreiber::comm
