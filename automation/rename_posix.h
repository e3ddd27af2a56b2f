#pragma once
// The system calls of the rename that never replaces, on POSIX systems, behind one seam:
// a test can fail one of them the way a network share or an older file system does.

#include <filesystem>
#include <functional>

namespace schreiber::automation {

struct RenameCalls {
  // Each returns 0, or the errno of its failure.
  std::function<int(const char* from, const char* to)> rename_noreplace;  // renameat2
  std::function<int(const char* from, const char* to)> link;
  std::function<int(const char* path)> unlink;
  std::function<int(const char* from, const char* to)> rename;
  std::function<bool(const char* path)> exists;

  // The kernel's calls.
  static RenameCalls system();
};

// The rename of file_system_object.h over the given calls. Where the file system cannot
// refuse an existing name inside the rename (EINVAL, ENOSYS: many network shares), a hard
// link takes the new name instead, which refuses just as well, and the old name is then
// removed; where it has no hard links either, the new name is checked just before a plain
// rename.
void rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to,
                              const RenameCalls& calls);

}  // namespace schreiber::automation
