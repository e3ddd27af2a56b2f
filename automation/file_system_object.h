#pragma once
// "Scripting.FileSystemObject" and the plain rename over the local file system, with the
// failure numbers a script host would give: 53 file not found, 58 file already exists,
// 70 permission denied, 76 path not found.

#include <filesystem>
#include <memory>
#include <system_error>

#include "automation/automation.h"

namespace schreiber::automation {

class LocalFileSystemObject : public FileSystemObject {
 public:
  std::shared_ptr<File> GetFile(const std::filesystem::path& full_path) override;
};

// Renames within the file system; never replaces an existing file.
void rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to);

// The failure for an error of a file call on `path`.
[[noreturn]] void fail_file_operation(const std::error_code& error,
                                      const std::filesystem::path& path);

}  // namespace schreiber::automation
