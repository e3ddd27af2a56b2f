#include "comm/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace schreiber::comm {
namespace {

enum class Owner { kNone, kAlive, kGone };

// The process id of a lock file: ten ASCII characters and a newline, or the four binary
// bytes of older programs. Nothing when the file is gone or holds no process id.
std::optional<pid_t> read_owner(const std::filesystem::path& file, bool& gone) {
  gone = false;
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    gone = errno == ENOENT;
    return std::nullopt;
  }
  char text[32] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n == 4 && std::strspn(text, " 0123456789\n") != 4) {
    std::int32_t binary = 0;
    std::memcpy(&binary, text, sizeof binary);
    return binary;
  }
  int pid = 0;
  if (n <= 0 || std::sscanf(text, "%d", &pid) != 1) return std::nullopt;
  return pid;
}

// Who holds the lock file: a process that is still there, one that is gone, or nobody
// (the file went meanwhile). A file without a usable process id counts as held: its
// owner may be writing it right now.
// `named` receives the process id when the file names one.
Owner owner_of(const std::filesystem::path& file, std::optional<pid_t>* named = nullptr) {
  bool gone = false;
  const auto pid = read_owner(file, gone);
  if (gone) return Owner::kNone;
  if (!pid || *pid <= 0) return Owner::kAlive;
  if (named != nullptr) *named = pid;
  // EPERM: the process is there, it belongs to someone else.
  return ::kill(*pid, 0) == 0 || errno == EPERM ? Owner::kAlive : Owner::kGone;
}

bool is_folder(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates the lock file with our process id; false with errno when it could not.
bool create(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  const bool written = ::write(fd, text, static_cast<std::size_t>(length)) == length;
  const int error = errno;
  ::close(fd);
  if (written) return true;
  ::unlink(file.c_str());
  errno = error;
  return false;
}

// The lock file of `device` in the first lock folder that exists; empty when none does.
std::filesystem::path lock_file_of(const std::filesystem::path& device,
                                   const std::vector<std::filesystem::path>& folders) {
  for (const auto& folder : folders) {
    if (is_folder(folder)) return folder / ("LCK.." + device.filename().string());
  }
  return {};
}

}  // namespace

std::vector<std::filesystem::path> default_lock_folders() {
  return {"/run/lock", "/var/lock"};
}

std::optional<UucpLock::Holder> UucpLock::holder(
    const std::filesystem::path& device, const std::vector<std::filesystem::path>& folders) {
  const auto file = lock_file_of(device, folders);
  if (file.empty()) return std::nullopt;
  std::optional<pid_t> pid;
  if (owner_of(file, &pid) != Owner::kAlive) return std::nullopt;
  return Holder{file, pid};
}

UucpLock::Outcome UucpLock::take(const std::filesystem::path& device,
                                 const std::vector<std::filesystem::path>& folders,
                                 std::optional<UucpLock>& taken) {
  const auto file = lock_file_of(device, folders);
  if (file.empty()) return Outcome::kNoLockFolder;
  // Twice: once more after a stale lock was removed, or after the owner let go meanwhile.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (create(file)) {
      taken.emplace(UucpLock(file));
      return Outcome::kTaken;
    }
    const bool exists = errno == EEXIST;
    const Owner owner = owner_of(file);
    if (owner == Owner::kAlive) return Outcome::kHeldByOther;
    // A folder we may not write to still shows other programs' locks, but cannot take
    // ours; the device's own exclusive open is then the only guard.
    if (!exists) return Outcome::kNoLockFolder;
    if (owner == Owner::kGone && ::unlink(file.c_str()) != 0 && errno != ENOENT) {
      return Outcome::kNoLockFolder;
    }
  }
  return Outcome::kHeldByOther;
}

UucpLock::UucpLock(UucpLock&& other) noexcept : file_(std::move(other.file_)) {
  other.file_.clear();
}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept {
  if (this != &other) {
    release();
    file_ = std::move(other.file_);
    other.file_.clear();
  }
  return *this;
}

UucpLock::~UucpLock() {
  release();
}

void UucpLock::release() {
  if (file_.empty()) return;
  bool gone = false;
  // Only our own: a lock that someone took over as stale is theirs now.
  if (read_owner(file_, gone) == ::getpid()) ::unlink(file_.c_str());
  file_.clear();
}

}  // namespace schreiber::comm
