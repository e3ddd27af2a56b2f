#include "platform/win32_api.h"

#include <filesystem>
#include <string>

#include "platform/program_folder.h"

namespace schreiber::platform {

std::filesystem::path executable_folder() {
  // The wide call, so that a folder name outside the ANSI code page survives.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::filesystem::current_path();
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace schreiber::platform
