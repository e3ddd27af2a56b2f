#include "comm/device_holder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace schreiber::comm {
namespace {

// A lock on the file with this device and inode number in the kernel's lock table.
// A line reads "1: FLOCK  ADVISORY  WRITE 4242 00:05:87 0 EOF": the holder's process id,
// then the file as major:minor (hexadecimal) of its file system and its inode. Lines
// with "->" are processes waiting for a lock, not holding one.
std::optional<DeviceHolder> locked_in_table(const std::filesystem::path& table,
                                            const struct stat& file) {
  std::ifstream in(table);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string w; word.size() < 6 && words >> w;) word.push_back(w);
    if (word.size() < 6 || word[1] == "->") continue;
    unsigned major_number = 0, minor_number = 0;
    unsigned long long inode = 0;
    if (std::sscanf(word[5].c_str(), "%x:%x:%llu", &major_number, &minor_number, &inode) != 3) {
      continue;
    }
    if (major_number != major(file.st_dev) || minor_number != minor(file.st_dev) ||
        inode != file.st_ino) {
      continue;
    }
    DeviceHolder holder;
    // Locks of open file descriptions belong to no process: -1.
    const int pid = std::atoi(word[4].c_str());
    if (pid > 0) holder.pid = pid;
    return holder;
  }
  return std::nullopt;
}

}  // namespace

std::optional<DeviceHolder> device_holder(const DeviceTree& tree,
                                          const std::filesystem::path& device) {
  if (const auto held = UucpLock::holder(device, tree.lock_folders)) {
    return DeviceHolder{held->pid, held->file};
  }
  struct stat file {};
  if (::stat(device.c_str(), &file) != 0) return std::nullopt;
  return locked_in_table(tree.proc / "locks", file);
}

}  // namespace schreiber::comm
