#include "platform/win32_api.h"

#include "automation/file_system_object.h"
#include "platform/failure.h"
#include "platform/text_win32.h"

namespace schreiber::automation {

void rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Without MOVEFILE_REPLACE_EXISTING the system refuses when the new name exists, in the
  // same call: no check-then-rename race.
  if (MoveFileExW(from.c_str(), to.c_str(), 0)) return;
  const DWORD error = GetLastError();
  const auto name = [](const std::filesystem::path& path) {
    return platform::wide_to_codepage(path.native());
  };
  switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      platform::raise_failure(platform::kFileAlreadyExists, name(to));
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      if (GetFileAttributesW(to.parent_path().c_str()) != INVALID_FILE_ATTRIBUTES &&
          GetFileAttributesW(from.parent_path().c_str()) != INVALID_FILE_ATTRIBUTES) {
        platform::raise_failure(platform::kFileNotFound, name(from));
      }
      platform::raise_failure(platform::kPathNotFound, name(to.parent_path()));
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      platform::raise_failure(platform::kPermissionDenied, name(from));
    default:
      platform::raise_failure(platform::kPathFileAccessError, platform::system_message(error),
                              name(from));
  }
}

}  // namespace schreiber::automation
