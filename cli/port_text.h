#pragma once
// What schreiber-cli says about serial devices and ports, as lines for the terminal.

#include <filesystem>
#include <string>
#include <vector>

#include "comm/account.h"
#include "comm/port_check.h"
#include "comm/serial_devices.h"

namespace schreiber::cli {

// Two lines: the device's stable name (its by-id name where it has one, else its
// device file), then the kernel name with the driver and USB numbers and names.
std::string describe_device(const comm::SerialDevice& device);

// What the port opens: "/dev/ttyS0", or "ports/COM1 -> /dev/serial/by-id/... (ttyUSB0)"
// with the link shown relative to `folder` when it lies in it.
std::string port_subject(const comm::PortCheck& check, const std::filesystem::path& folder);

// Whether it can be opened, and if not, why and what to do about it.
std::string port_reason(const comm::PortCheck& check, const comm::Account& account);

// The line after the window's message when a port did not open: the device and the
// reason; with no device, the serial devices that are there.
std::string open_failure_line(const comm::PortCheck& check, const comm::Account& account,
                              const std::vector<comm::SerialDevice>& present);

}  // namespace schreiber::cli
