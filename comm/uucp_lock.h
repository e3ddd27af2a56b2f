#pragma once
// The lock file of the serial-device convention (UUCP, HDB style) that terminal programs
// and modem managers follow: "LCK..<device name>" in the system's lock folder, holding the
// owner's process id as ten ASCII characters and a newline. flock alone keeps out only
// the programs that take the same flock.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <vector>

namespace schreiber::comm {

// The system's lock folders, in the order they are tried.
std::vector<std::filesystem::path> default_lock_folders();

class UucpLock {
 public:
  enum class Outcome {
    kTaken,         // the lock file is ours now
    kHeldByOther,   // a live process holds the device
    kNoLockFolder,  // no lock folder to write to: nobody else's lock was found either
  };

  // A live process that holds a device by its lock file; no `pid` when the file names
  // none (yet).
  // Which file a lock is: its name may be taken over by another.
  struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
  };

  struct Holder {
    std::filesystem::path file;
    std::optional<int> pid;
  };
  // Reads, and never writes, the lock of `device` (its real name, after symlinks) in the
  // first lock folder that exists: the holder when a live process holds it. A lock with
  // this process's id that this process did not write is stale; one without a readable
  // process id is held.
  static std::optional<Holder> holder(const std::filesystem::path& device,
                                      const std::vector<std::filesystem::path>& folders);

  // Checks and takes the lock of `device` (its real name, after symlinks) in the first
  // lock folder that exists. A stale lock (see holder()) is replaced; of several programs
  // that replace it at once, one wins.
  static Outcome take(const std::filesystem::path& device,
                      const std::vector<std::filesystem::path>& folders,
                      std::optional<UucpLock>& taken);

  UucpLock(UucpLock&& other) noexcept;
  UucpLock& operator=(UucpLock&& other) noexcept;
  UucpLock(const UucpLock&) = delete;
  UucpLock& operator=(const UucpLock&) = delete;
  // Removes the lock file, if it is still ours.
  ~UucpLock();

 private:
  UucpLock(std::filesystem::path file, FileId id) : file_(std::move(file)), id_(id) {}
  void release();

  std::filesystem::path file_;
  FileId id_;
};

}  // namespace schreiber::comm
