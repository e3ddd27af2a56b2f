#include "cli/port_links.h"

#include <sys/stat.h>

#include <stdexcept>

#include "comm/serial_devices.h"
#include "sim/pseudo_terminal.h"

namespace schreiber::cli {
namespace fs = std::filesystem;

fs::path link_port(const comm::DeviceTree& tree, const fs::path& ports_folder, int number,
                   const std::string& device) {
  const fs::path named =
      device.find('/') == std::string::npos ? tree.dev / device : fs::absolute(device);
  struct stat info {};
  if (::stat(named.c_str(), &info) != 0) throw std::runtime_error("no such device: " + device);
  if (!S_ISCHR(info.st_mode)) throw std::runtime_error(device + " is not a device");
  const fs::path target = comm::by_id_name(tree, named).value_or(named);
  std::error_code error;
  fs::create_directory(ports_folder, error);
  if (error) {
    throw std::runtime_error("cannot make the folder " + ports_folder.string() + ": " +
                             error.message());
  }
  sim::point_link(comm::port_link(ports_folder, number), target);
  return target;
}

bool unlink_port(const fs::path& ports_folder, int number) {
  const fs::path link = comm::port_link(ports_folder, number);
  std::error_code error;
  const auto type = fs::symlink_status(link, error).type();
  if (type == fs::file_type::not_found) return false;
  if (type != fs::file_type::symlink) {
    throw std::runtime_error(link.string() + " is not a link; it is left as it is");
  }
  if (!fs::remove(link, error) || error) {
    throw std::runtime_error("cannot remove " + link.string() + ": " + error.message());
  }
  return true;
}

}  // namespace schreiber::cli
