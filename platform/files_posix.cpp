#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/files.h"

namespace schreiber::platform {
namespace {

// The number an automation layer would give an errno from a file call.
int failure_number_of(int error) {
  switch (error) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EEXIST:
      return kFileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
      return kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
    default:
      return kPathFileAccessError;
  }
}

// The system's text and the path are UTF-8; a description is code-page text.
[[noreturn]] void fail(int error, const std::filesystem::path& path) {
  throw Failure(failure_number_of(error),
                utf8_to_codepage(std::strerror(error)) + ": " + file_name_to_codepage(path));
}

// Everything an open file holds; the file is closed afterwards. Throws Failure.
std::string read_and_close(int fd, const std::filesystem::path& path) {
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      fail(error, path);
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

// Records written one after the other wait in memory as one run and reach the system in
// one pwrite at flush() or close(); a record elsewhere first hands over the run.
class PosixRecordFile : public RecordFile {
 public:
  PosixRecordFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~PosixRecordFile() override {
    if (fd_ < 0) return;
    write_run();  // an exception unwound past close(): keep the bytes all the same
    ::close(fd_);
  }

  void write(std::int32_t record, std::uint8_t byte) override {
    if (fd_ < 0 || record < 1) raise_failure(kBadFileNameOrNumber);
    const off_t offset = static_cast<off_t>(record) - 1;
    if (!run_.empty() &&
        (offset != run_offset_ + static_cast<off_t>(run_.size()) || run_.size() >= kLongestRun)) {
      flush();
    }
    if (run_.empty()) run_offset_ = offset;
    run_.push_back(static_cast<char>(byte));
  }

  void flush() override {
    if (const int error = write_run()) fail(error, path_);
  }

  void close() override {
    if (fd_ < 0) return;
    const int write_error = write_run();
    const int fd = fd_;
    fd_ = -1;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int sync_error = errno;
    const bool closed = ::close(fd) == 0;
    const int close_error = errno;
    if (write_error) fail(write_error, path_);
    if (!synced) fail(sync_error, path_);
    if (!closed) fail(close_error, path_);
  }

 private:
  // A caller that never flushes still writes every 64 KiB.
  static constexpr std::size_t kLongestRun = 1 << 16;

  // Hands the run to the system; the errno of a failure, else 0. The run is gone either
  // way: what the system took stays in the file.
  int write_run() {
    std::size_t done = 0;
    int error = 0;
    while (done < run_.size()) {
      const ssize_t n = ::pwrite(fd_, run_.data() + done, run_.size() - done,
                                 run_offset_ + static_cast<off_t>(done));
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        error = n < 0 ? errno : ENOSPC;
        break;
      }
    }
    run_.clear();
    return error;
  }

  int fd_;
  std::filesystem::path path_;
  std::string run_;
  off_t run_offset_ = 0;
};

}  // namespace

bool DiskFiles::remove(const std::filesystem::path& path) {
  return ::unlink(path.c_str()) == 0;
}

std::unique_ptr<RecordFile> DiskFiles::create_record_file(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail(errno, path);
  return std::make_unique<PosixRecordFile>(fd, path);
}

std::optional<std::string> DiskFiles::read_first_line(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  try {
    content = read_and_close(fd, path);
  } catch (const Failure&) {
    return std::nullopt;  // unreadable, a folder for instance
  }
  if (content.empty()) return std::nullopt;  // empty file: nothing to read
  return first_line_of(content);
}

void DiskFiles::write_text(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail(errno, path);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      fail(error, path);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) fail(errno, path);
}

std::string DiskFiles::read_or_create(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) fail(errno, path);
  return read_and_close(fd, path);
}

}  // namespace schreiber::platform
