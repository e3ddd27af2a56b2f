#include "xls/file_system.h"

namespace xls {

void save_atomically(const FileSystem& files, const std::filesystem::path& target,
                     std::string_view bytes) {
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  files.remove_leftovers(folder);
  std::filesystem::path temporary;
  const FileSystem::Handle file = files.create_beside(target, temporary);
  bool open = true;
  // Failures name the workbook: the temporary name means nothing to the reader.
  try {
    files.write(file, bytes, target);
    files.flush(file, target);
    open = false;
    files.close(file, target);
    files.replace(temporary, target);
  } catch (...) {
    if (open) {
      try {
        files.close(file, target);
      } catch (...) {  // the write failure is the one to report
      }
    }
    files.remove(temporary);
    throw;
  }
  files.flush_folder(folder);
}

}  // namespace xls
