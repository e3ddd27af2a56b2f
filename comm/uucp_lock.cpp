#include "comm/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace schreiber::comm {
namespace {

enum class Owner { kNone, kAlive, kGone };

// What a lock file holds: the process id (ten ASCII characters and a newline, or the four
// binary bytes of older programs), and which file it is.
struct LockContent {
  bool gone = false;         // no such file
  std::optional<pid_t> pid;  // nothing when the file holds no process id
  UucpLock::FileId id;
};

LockContent read_lock(int fd) {
  LockContent content;
  struct stat info {};
  if (::fstat(fd, &info) == 0) content.id = {info.st_dev, info.st_ino};
  char text[32] = {};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n == 4 && std::strspn(text, " 0123456789\n") != 4) {
    std::int32_t binary = 0;
    std::memcpy(&binary, text, sizeof binary);
    content.pid = binary;
    return content;
  }
  int pid = 0;
  if (n > 0 && std::sscanf(text, "%d", &pid) == 1) content.pid = pid;
  return content;
}

LockContent read_lock(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    LockContent content;
    content.gone = errno == ENOENT;
    return content;
  }
  const LockContent content = read_lock(fd);
  ::close(fd);
  return content;
}

// The lock files this process wrote and still holds. A lock file naming our process id
// that is not among them was left by an earlier process that had the same id (after a
// restart, with a lock folder that survived it).
std::mutex written_mutex;
std::vector<UucpLock::FileId> written_here;

bool is_written_here(const UucpLock::FileId& id) {
  std::lock_guard lock(written_mutex);
  return std::find(written_here.begin(), written_here.end(), id) != written_here.end();
}

// Who holds the lock file: a process that is still there, one that is gone, or nobody
// (the file went meanwhile). A file without a usable process id counts as held: its
// owner may be writing it right now, or it follows a convention we do not know.
Owner owner_of(const LockContent& content) {
  if (content.gone) return Owner::kNone;
  if (!content.pid || *content.pid <= 0) return Owner::kAlive;
  if (*content.pid == ::getpid()) {
    return is_written_here(content.id) ? Owner::kAlive : Owner::kGone;
  }
  // EPERM: the process is there, it belongs to someone else.
  return ::kill(*content.pid, 0) == 0 || errno == EPERM ? Owner::kAlive : Owner::kGone;
}

bool is_folder(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The lock file of `device` in the first lock folder that exists; empty when none does.
std::filesystem::path lock_file_of(const std::filesystem::path& device,
                                   const std::vector<std::filesystem::path>& folders) {
  for (const auto& folder : folders) {
    if (is_folder(folder)) return folder / ("LCK.." + device.filename().string());
  }
  return {};
}

// Our lock, complete, under a name of its own in the lock folder: it takes the lock's name
// only whole, so no other program ever reads a half-written one. -1 with errno when the
// folder cannot be written.
int write_own_lock(const std::filesystem::path& folder, std::filesystem::path& written) {
  static std::atomic<unsigned> counter{0};
  const std::string pid = std::to_string(::getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    written = folder / ("LTMP." + pid + "." + std::to_string(counter++));
    const int fd =
        ::open(written.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    if (::write(fd, text, static_cast<std::size_t>(length)) == length) return fd;
    const int error = errno;
    ::close(fd);
    ::unlink(written.c_str());
    errno = error;
    return -1;
  }
  errno = EEXIST;
  return -1;
}

// The takers of a stale lock agree through a flock on the stale file itself: whoever holds
// it checks that the name still leads to that file and that its process is gone, and only
// then renames its own lock over it. Every other taker, once it gets the flock, finds the
// name leading elsewhere and starts again. A holder that dies lets go of the flock.
enum class Takeover { kTaken, kHeld, kChanged };

Takeover take_over(const std::filesystem::path& file, const std::filesystem::path& own) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno == ENOENT ? Takeover::kChanged : Takeover::kHeld;
  // A program that keeps a flock on its own lock file for long is alive: held.
  bool locked = false;
  for (int wait = 0; wait < 1000 && !locked; ++wait) {
    locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (!locked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Takeover result = Takeover::kHeld;
  struct stat named {};
  const LockContent content = read_lock(fd);
  if (!locked) {
    result = Takeover::kHeld;
  } else if (::lstat(file.c_str(), &named) != 0 ||
             UucpLock::FileId{named.st_dev, named.st_ino} != content.id) {
    result = Takeover::kChanged;
  } else if (owner_of(content) == Owner::kAlive) {
    result = Takeover::kHeld;
  } else {
    result = ::rename(own.c_str(), file.c_str()) == 0 ? Takeover::kTaken : Takeover::kHeld;
  }
  ::close(fd);
  return result;
}

}  // namespace

std::vector<std::filesystem::path> default_lock_folders() {
  return {"/run/lock", "/var/lock"};
}

std::optional<UucpLock::Holder> UucpLock::holder(
    const std::filesystem::path& device, const std::vector<std::filesystem::path>& folders) {
  const auto file = lock_file_of(device, folders);
  if (file.empty()) return std::nullopt;
  const LockContent content = read_lock(file);
  if (owner_of(content) != Owner::kAlive) return std::nullopt;
  return Holder{file, content.pid};
}

UucpLock::Outcome UucpLock::take(const std::filesystem::path& device,
                                 const std::vector<std::filesystem::path>& folders,
                                 std::optional<UucpLock>& taken) {
  const auto file = lock_file_of(device, folders);
  if (file.empty()) return Outcome::kNoLockFolder;
  std::filesystem::path own;
  const int fd = write_own_lock(file.parent_path(), own);
  if (fd < 0) {
    // A folder we may not write to still shows other programs' locks, but cannot take
    // ours; the device's own exclusive open is then the only guard.
    return owner_of(read_lock(file)) == Owner::kAlive ? Outcome::kHeldByOther
                                                      : Outcome::kNoLockFolder;
  }
  struct stat info {};
  ::fstat(fd, &info);
  ::close(fd);
  const FileId id{info.st_dev, info.st_ino};

  // A few rounds: the lock may go, or be replaced, between the steps.
  Outcome outcome = Outcome::kHeldByOther;
  bool placed = false;
  for (int round = 0; round < 5 && !placed; ++round) {
    // A link cannot replace: it succeeds only where no lock is.
    if (::link(own.c_str(), file.c_str()) == 0) {
      placed = true;
      break;
    }
    if (errno != EEXIST) {
      outcome = Outcome::kNoLockFolder;
      break;
    }
    const Takeover takeover = take_over(file, own);
    if (takeover == Takeover::kHeld) break;
    placed = takeover == Takeover::kTaken;
  }
  ::unlink(own.c_str());  // after a link, or when nothing was placed
  if (!placed) return outcome;

  // The name must now lead to our file, with our process id in it.
  const LockContent placed_content = read_lock(file);
  if (placed_content.gone || placed_content.id != id || placed_content.pid != ::getpid()) {
    return Outcome::kHeldByOther;
  }
  {
    std::lock_guard lock(written_mutex);
    written_here.push_back(id);
  }
  taken.emplace(UucpLock(file, id));
  return Outcome::kTaken;
}

UucpLock::UucpLock(UucpLock&& other) noexcept : file_(std::move(other.file_)), id_(other.id_) {
  other.file_.clear();
}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept {
  if (this != &other) {
    release();
    file_ = std::move(other.file_);
    id_ = other.id_;
    other.file_.clear();
  }
  return *this;
}

UucpLock::~UucpLock() {
  release();
}

void UucpLock::release() {
  if (file_.empty()) return;
  // Only our own file: a lock that someone took over as stale is theirs now.
  const LockContent content = read_lock(file_);
  if (!content.gone && content.id == id_ && content.pid == ::getpid()) ::unlink(file_.c_str());
  {
    std::lock_guard lock(written_mutex);
    const auto found = std::find(written_here.begin(), written_here.end(), id_);
    if (found != written_here.end()) written_here.erase(found);
  }
  file_.clear();
}

}  // namespace schreiber::comm
