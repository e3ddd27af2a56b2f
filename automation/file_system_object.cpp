#include "automation/file_system_object.h"

#include <cerrno>
#include <string>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "xls/file_system.h"

namespace schreiber::automation {
namespace {

class LocalFile : public File {
 public:
  explicit LocalFile(std::filesystem::path path) : path_(std::move(path)) {}

  void Copy(const std::filesystem::path& destination_folder) override {
    std::error_code error;
    if (!std::filesystem::is_directory(destination_folder, error)) {
      platform::raise_failure(platform::kPathNotFound,
                              platform::file_name_to_codepage(destination_folder));
    }
    // Copied under a temporary name and renamed over the target: a crash in the middle
    // leaves either the old file or the whole copy, never part of one. What crashed copies
    // and saves left in the folder goes first.
    xls::native_file_system().remove_leftovers(destination_folder);
    const auto target = destination_folder / path_.filename();
    const auto temporary = xls::temporary_beside(target);
    std::filesystem::copy_file(path_, temporary, error);
    if (!error) std::filesystem::rename(temporary, target, error);
    if (error) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      fail_file_operation(error, target);
    }
  }

 private:
  std::filesystem::path path_;
};

}  // namespace

void fail_file_operation(const std::error_code& error, const std::filesystem::path& path) {
  using platform::raise_failure;
  const std::string name = platform::file_name_to_codepage(path);
  switch (error.value()) {
    case ENOENT:
      raise_failure(platform::kFileNotFound, name);
    case ENOTDIR:
      raise_failure(platform::kPathNotFound, name);
    case EEXIST:
      raise_failure(platform::kFileAlreadyExists, name);
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
      raise_failure(platform::kPermissionDenied, name);
    default:
      platform::raise_failure(platform::kPathFileAccessError,
                              platform::utf8_to_codepage(error.message()), name);
  }
}

std::shared_ptr<File> LocalFileSystemObject::GetFile(const std::filesystem::path& full_path) {
  std::error_code error;
  const auto status = std::filesystem::status(full_path, error);
  if (!std::filesystem::exists(status)) {
    const bool folder_missing = !std::filesystem::is_directory(full_path.parent_path(), error);
    platform::raise_failure(folder_missing ? platform::kPathNotFound : platform::kFileNotFound,
                            platform::file_name_to_codepage(full_path));
  }
  if (!std::filesystem::is_regular_file(status)) {
    platform::raise_failure(platform::kFileNotFound, platform::file_name_to_codepage(full_path));
  }
  return std::make_shared<LocalFile>(full_path);
}

}  // namespace schreiber::automation
