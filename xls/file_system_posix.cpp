// The engine's files on POSIX systems.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "xls/error.h"
#include "xls/file_system.h"
#include "xls/temporary_name.h"

namespace xls {

namespace {

constexpr std::uint64_t kLargestFile = 2ull << 30;  // BIFF8 stream offsets are 32-bit

[[noreturn]] void fail(const char* action, const std::filesystem::path& path, int error) {
  throw Error(ErrorKind::file_access, std::string("cannot ") + action + " '" + path.string() +
                                          "': " + std::strerror(error));
}

class PosixFiles final : public FileSystem {
 public:
  std::string read_file(const std::filesystem::path& path) const override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open", path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      const int error = S_ISDIR(info.st_mode) ? EISDIR : errno ? errno : EINVAL;
      ::close(fd);
      fail("open", path, error);
    }
    if (static_cast<std::uint64_t>(info.st_size) > kLargestFile) {
      ::close(fd);
      throw Error(ErrorKind::file_access,
                  "cannot open '" + path.string() + "': it is too large for a workbook");
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int error = errno;
        ::close(fd);
        fail("read", path, error);
      }
      if (n == 0) break;  // the file shrank meanwhile
      done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return bytes;
  }

  bool exists(const std::filesystem::path& path) const override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }

  Handle create_beside(const std::filesystem::path& target,
                       std::filesystem::path& created) const override {
    for (int attempt = 0;; ++attempt) {
      created = temporary_beside(target);
      const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        struct stat info {};
        if (::stat(target.c_str(), &info) == 0) ::fchmod(fd, info.st_mode & 07777);
        return fd;
      }
      if (errno != EEXIST || attempt > 100) fail("create a file beside", target, errno);
    }
  }

  // Only plain files of this user with a temporary name whose process is gone: a process
  // that is there may be saving right now, and this process's own are its current saves.
  void remove_leftovers(const std::filesystem::path& folder) const noexcept override {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return;
    const int fd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
      const auto process = temporary_name_process(entry->d_name, '.');
      if (!process || static_cast<pid_t>(*process) == ::getpid()) continue;
      if (::kill(static_cast<pid_t>(*process), 0) == 0 || errno != ESRCH) continue;
      struct stat info {};
      if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
          info.st_uid != ::geteuid()) {
        continue;
      }
      ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(listing);
  }

  void write(Handle file, std::string_view bytes,
             const std::filesystem::path& path) const override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(static_cast<int>(file), bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) fail("write", path, n < 0 ? errno : ENOSPC);
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  void flush(Handle file, const std::filesystem::path& path) const override {
    if (::fsync(static_cast<int>(file)) != 0) fail("write", path, errno);
  }

  void close(Handle file, const std::filesystem::path& path) const override {
    if (::close(static_cast<int>(file)) != 0 && errno != EINTR) fail("write", path, errno);
  }

  void replace(const std::filesystem::path& from, const std::filesystem::path& to) const override {
    if (::rename(from.c_str(), to.c_str()) != 0) fail("save", to, errno);
  }

  void remove(const std::filesystem::path& path) const noexcept override { ::unlink(path.c_str()); }

  void flush_folder(const std::filesystem::path& folder) const noexcept override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
  }
};

}  // namespace

std::filesystem::path temporary_beside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  return folder / temporary_name('.', static_cast<std::uint32_t>(::getpid()), counter++);
}

const FileSystem& native_file_system() {
  static const PosixFiles files;
  return files;
}

}  // namespace xls
