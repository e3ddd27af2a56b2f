#include "xls/file_system.h"

namespace xls {

void save_atomically(const FileSystem& files, const std::filesystem::path& target,
                     std::string_view bytes) {
  std::filesystem::path temporary;
  const FileSystem::Handle file = files.create_beside(target, temporary);
  bool open = true;
  try {
    files.write(file, bytes, temporary);
    files.flush(file, temporary);
    open = false;
    files.close(file, temporary);
    files.replace(temporary, target);
  } catch (...) {
    if (open) {
      try {
        files.close(file, temporary);
      } catch (...) {  // the write failure is the one to report
      }
    }
    files.remove(temporary);
    throw;
  }
  files.flush_folder(target.has_parent_path() ? target.parent_path() : std::filesystem::path("."));
}

}  // namespace xls
