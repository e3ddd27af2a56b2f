// The engine's files on Windows.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "xls/error.h"
#include "xls/file_system.h"
#include "xls/temporary_name.h"
#include "xls/text.h"

namespace xls {

namespace {

constexpr ULONGLONG kLargestFile = 2ull << 30;  // BIFF8 stream offsets are 32-bit

// The system's text as UTF-8, the encoding of every description of the engine.
std::string system_message(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message =
      length ? utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length))
             : "error " + std::to_string(code);
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

[[noreturn]] void fail(const char* action, const std::filesystem::path& path,
                       DWORD code = GetLastError()) {
  throw Error(ErrorKind::file_access, std::string("cannot ") + action + " '" + path.string() +
                                          "': " + system_message(code));
}

// A process that has ended, or no process has that id. One we may not look at is there.
bool process_is_gone(DWORD id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  CloseHandle(process);
  return ended;
}

HANDLE handle_of(FileSystem::Handle file) {
  return reinterpret_cast<HANDLE>(file);
}

class WindowsFiles final : public FileSystem {
 public:
  std::string read_file(const std::filesystem::path& path) const override {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail("open", path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
      const DWORD code = GetLastError();
      CloseHandle(file);
      fail("open", path, code);
    }
    if (static_cast<ULONGLONG>(size.QuadPart) > kLargestFile) {
      CloseHandle(file);
      throw Error(ErrorKind::file_access,
                  "cannot open '" + path.string() + "': it is too large for a workbook");
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                    nullptr)) {
        const DWORD code = GetLastError();
        CloseHandle(file);
        fail("read", path, code);
      }
      if (n == 0) break;  // the file shrank meanwhile
      done += n;
    }
    bytes.resize(done);
    CloseHandle(file);
    return bytes;
  }

  bool exists(const std::filesystem::path& path) const override {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  Handle create_beside(const std::filesystem::path& target,
                       std::filesystem::path& created) const override {
    for (int attempt = 0;; ++attempt) {
      created = temporary_beside(target);
      const HANDLE file = CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<Handle>(file);
      const DWORD code = GetLastError();
      if (code != ERROR_FILE_EXISTS || attempt > 100) fail("create a file beside", target, code);
    }
  }

  // Only plain files with a temporary name whose process is gone: a process that is there
  // may be saving right now, and this process's own are its current saves.
  void remove_leftovers(const std::filesystem::path& folder) const noexcept override {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder / L"~schreiber-*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        continue;
      }
      const std::wstring wide = found.cFileName;
      if (std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c > 127; })) continue;
      const auto process = temporary_name_process(std::string(wide.begin(), wide.end()), '~');
      if (!process || *process == GetCurrentProcessId() || !process_is_gone(*process)) continue;
      DeleteFileW((folder / wide).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  void write(Handle file, std::string_view bytes,
             const std::filesystem::path& path) const override {
    while (!bytes.empty()) {
      DWORD n = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      if (!WriteFile(handle_of(file), bytes.data(), chunk, &n, nullptr) || n == 0)
        fail("write", path);
      bytes.remove_prefix(n);
    }
  }

  void flush(Handle file, const std::filesystem::path& path) const override {
    if (!FlushFileBuffers(handle_of(file))) fail("write", path);
  }

  void close(Handle file, const std::filesystem::path& path) const override {
    if (!CloseHandle(handle_of(file))) fail("write", path);
  }

  void replace(const std::filesystem::path& from, const std::filesystem::path& to) const override {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      fail("save", to);
  }

  void remove(const std::filesystem::path& path) const noexcept override {
    DeleteFileW(path.c_str());
  }

  // MOVEFILE_WRITE_THROUGH has made the rename durable already.
  void flush_folder(const std::filesystem::path&) const noexcept override {}
};

}  // namespace

std::filesystem::path temporary_beside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  return folder / temporary_name('~', GetCurrentProcessId(), counter++);
}

const FileSystem& native_file_system() {
  static const WindowsFiles files;
  return files;
}

}  // namespace xls
