#include "automation/rename_posix.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "automation/file_system_object.h"
#include "platform/codepage.h"
#include "platform/failure.h"

namespace schreiber::automation {
namespace {

int result(int call_result) {
  return call_result == 0 ? 0 : errno;
}

// The rename cannot refuse an existing name on this file system.
bool no_refusing_rename(int error) {
  return error == EINVAL || error == ENOSYS;
}

// The file system has no hard links (FAT, many network shares), or will not give one here.
bool no_hard_link(int error) {
  return error == EPERM || error == ENOTSUP || error == ENOSYS || error == EINVAL;
}

int rename_by_fallback(const char* from, const char* to, const RenameCalls& calls) {
  const int linked = calls.link(from, to);
  if (linked == 0) {
    const int removed = calls.unlink(from);
    if (removed != 0) calls.unlink(to);  // one name, as before, and the failure reported
    return removed;
  }
  if (!no_hard_link(linked)) return linked;
  // The last resort leaves a moment between the check and the rename.
  return calls.exists(to) ? EEXIST : calls.rename(from, to);
}

}  // namespace

RenameCalls RenameCalls::system() {
  return RenameCalls{[](const char* from, const char* to) {
                       return result(::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
                     },
                     [](const char* from, const char* to) { return result(::link(from, to)); },
                     [](const char* path) { return result(::unlink(path)); },
                     [](const char* from, const char* to) { return result(::rename(from, to)); },
                     [](const char* path) {
                       struct stat info {};
                       return ::lstat(path, &info) == 0;
                     }};
}

void rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to,
                              const RenameCalls& calls) {
  // The kernel refuses atomically when the new name exists; no check-then-rename race.
  int error = calls.rename_noreplace(from.c_str(), to.c_str());
  if (no_refusing_rename(error)) error = rename_by_fallback(from.c_str(), to.c_str(), calls);
  if (error == 0) return;
  using platform::file_name_to_codepage;
  if (error == EEXIST) {
    platform::raise_failure(platform::kFileAlreadyExists, file_name_to_codepage(to));
  }
  if (error == ENOENT) {
    std::error_code ignored;
    if (std::filesystem::is_directory(to.parent_path(), ignored)) {
      platform::raise_failure(platform::kFileNotFound, file_name_to_codepage(from));
    }
    platform::raise_failure(platform::kPathNotFound, file_name_to_codepage(to.parent_path()));
  }
  fail_file_operation(std::error_code(error, std::generic_category()), from);
}

void rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  rename_without_replacing(from, to, RenameCalls::system());
}

}  // namespace schreiber::automation
