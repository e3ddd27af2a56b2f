#include "cli/open_failure.h"
#include "cli/port_links.h"
#include "cli/port_text.h"
#include "comm/account.h"
#include "comm/device_tree.h"
#include "comm/port_check.h"
#include "comm/serial_devices.h"

namespace schreiber::cli {

std::optional<std::string> explain_open_failure(const std::filesystem::path& folder, int port) {
  if (port < 1) return std::nullopt;
  const comm::DeviceTree tree;
  const comm::Account account = comm::current_account();
  const auto check = comm::check_port(tree, account, comm::ports_folder_of(folder), port);
  return open_failure_line(check, account, comm::serial_devices(tree));
}

}  // namespace schreiber::cli
