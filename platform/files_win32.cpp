// The file operations on Windows: the wide-character calls, so that every name the
// program forms reaches the file system as it was meant.

#include "platform/win32_api.h"

#include <algorithm>
#include <string>

#include "platform/failure.h"
#include "platform/files.h"
#include "platform/text_win32.h"

namespace schreiber::platform {
namespace {

// The number an automation layer gives a system error of a file call.
int failure_number_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return kPathNotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return kFileAlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kDiskFull;
    default:
      return kPathFileAccessError;
  }
}

[[noreturn]] void fail(DWORD error, const std::filesystem::path& path) {
  throw Failure(failure_number_of(error),
                system_message(error) + ": " + wide_to_codepage(path.native()));
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    if (!valid()) return true;
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

HANDLE open(const std::filesystem::path& path, DWORD access, DWORD creation) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, creation,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string read_all(Handle& file, const std::filesystem::path& path) {
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) fail(GetLastError(), path);
    if (n == 0) return content;
    content.append(buffer, n);
  }
}

class Win32RecordFile : public RecordFile {
 public:
  Win32RecordFile(HANDLE file, std::filesystem::path path) : file_(file), path_(std::move(path)) {}

  void write(std::int32_t record, std::uint8_t byte) override {
    if (!file_.valid() || record < 1) raise_failure(kBadFileNameOrNumber);
    // Record n is the byte at offset n - 1; the write goes to the system at once.
    const ULONGLONG offset = static_cast<ULONGLONG>(record) - 1;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!WriteFile(file_.get(), &byte, 1, &written, &at)) fail(GetLastError(), path_);
    if (written != 1) fail(ERROR_DISK_FULL, path_);
  }

  void close() override {
    if (!file_.valid()) return;
    const bool flushed = FlushFileBuffers(file_.get()) != 0;
    const DWORD flush_error = GetLastError();
    const bool closed = file_.close();
    if (!flushed) fail(flush_error, path_);
    if (!closed) fail(GetLastError(), path_);
  }

 private:
  Handle file_;
  std::filesystem::path path_;
};

}  // namespace

bool DiskFiles::remove(const std::filesystem::path& path) {
  return DeleteFileW(path.c_str()) != 0;
}

std::unique_ptr<RecordFile> DiskFiles::create_record_file(const std::filesystem::path& path) {
  const HANDLE file = open(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) fail(GetLastError(), path);
  return std::make_unique<Win32RecordFile>(file, path);
}

std::optional<std::string> DiskFiles::read_first_line(const std::filesystem::path& path) {
  Handle file(open(path, GENERIC_READ, OPEN_EXISTING));
  if (!file.valid()) return std::nullopt;
  std::string content;
  try {
    content = read_all(file, path);
  } catch (const Failure&) {
    return std::nullopt;
  }
  if (content.empty()) return std::nullopt;  // empty file: nothing to read
  return first_line_of(content);
}

void DiskFiles::write_text(const std::filesystem::path& path, const std::string& bytes) {
  Handle file(open(path, GENERIC_WRITE, CREATE_ALWAYS));
  if (!file.valid()) fail(GetLastError(), path);
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &n, nullptr)) fail(GetLastError(), path);
    if (n == 0) fail(ERROR_DISK_FULL, path);
    done += n;
  }
  if (!file.close()) fail(GetLastError(), path);
}

std::string DiskFiles::read_or_create(const std::filesystem::path& path) {
  Handle file(open(path, GENERIC_READ, OPEN_ALWAYS));
  if (!file.valid()) fail(GetLastError(), path);
  return read_all(file, path);
}

}  // namespace schreiber::platform
