#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <system_error>

#include "automation/file_system_object.h"
#include "platform/failure.h"

namespace schreiber::automation {

void rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  // The kernel refuses atomically when the new name exists; no check-then-rename race.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  const int error = errno;
  if (error == EEXIST) {
    throw platform::Failure(platform::kFileAlreadyExists, "File already exists: " + to.string());
  }
  if (error == ENOENT) {
    std::error_code ignored;
    if (std::filesystem::is_directory(to.parent_path(), ignored)) {
      throw platform::Failure(platform::kFileNotFound, "File not found: " + from.string());
    }
    throw platform::Failure(platform::kPathNotFound,
                            "Path not found: " + to.parent_path().string());
  }
  fail_file_operation(std::error_code(error, std::generic_category()), from);
}

}  // namespace schreiber::automation
