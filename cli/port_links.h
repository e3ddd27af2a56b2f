#pragma once
// The links of a program folder's ports folder: <folder>/ports/COMn leads to the device
// that COM n opens.

#include <filesystem>
#include <string>

#include "comm/device_tree.h"
#include "comm/posix_comm.h"

namespace schreiber::cli {

// Points <ports folder>/COM<number> at `device` (a path, or a name under /dev such as
// "ttyUSB0"): at its by-id name when it has one, so that the link survives re-plugging,
// else at the name given. Makes the ports folder when it is missing; replaces an existing
// link. Returns the link's target; throws std::runtime_error with the reason when the
// device is not there or is no device, or when something other than a link is in the way.
std::filesystem::path link_port(const comm::DeviceTree& tree,
                                const std::filesystem::path& ports_folder, int number,
                                const std::string& device);

// Removes <ports folder>/COM<number>; false when there was no link. Throws
// std::runtime_error when it is something other than a link, which is left alone.
bool unlink_port(const std::filesystem::path& ports_folder, int number);

}  // namespace schreiber::cli
