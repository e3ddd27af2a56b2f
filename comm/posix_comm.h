#pragma once
// The serial calls on a POSIX system: termios and poll.
//
// "COMn:" opens <ports folder>/COMn when that entry exists (normally a symlink to
// /dev/ttyUSB0, /dev/serial/by-id/..., or a pseudo-terminal), else /dev/ttyS<n-1>. The
// open is exclusive, as share mode 0 is on Windows: a second open of the same device
// fails, also from the same process, and so does the open of a device that another
// program holds under the serial-device lock convention (uucp_lock.h). Handles are small
// positive numbers of this object's own; 0 is never handed out. Different handles may be used from
// different threads; one handle is used by one thread at a time.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "comm/comm.h"
#include "comm/read_ahead.h"
#include "comm/uucp_lock.h"
#include "comm/wait_hook.h"

namespace schreiber::comm {

// The ports folder of a program folder, and the entry in it that names COM `number`'s device.
inline std::filesystem::path ports_folder_of(const std::filesystem::path& program_folder) {
  return program_folder / "ports";
}
inline std::filesystem::path port_link(const std::filesystem::path& ports_folder, unsigned number) {
  return ports_folder / ("COM" + std::to_string(number));
}

class PosixComm final : public Comm {
 public:
  explicit PosixComm(std::filesystem::path ports_folder,
                     std::string fallback_device_prefix = "/dev/ttyS",
                     std::vector<std::filesystem::path> lock_folders = default_lock_folders());
  // Closes every port that is still open.
  ~PosixComm() override;
  PosixComm(const PosixComm&) = delete;
  PosixComm& operator=(const PosixComm&) = delete;

  Handle CreateFile(const std::string& port_name) override;
  std::int32_t ClearCommError(Handle handle) override;
  std::int32_t PurgeComm(Handle handle, std::uint32_t flags) override;
  std::int32_t GetCommState(Handle handle, Dcb& dcb) override;
  std::int32_t BuildCommDCB(const std::string& settings, Dcb& dcb) override;
  std::int32_t SetCommState(Handle handle, const Dcb& dcb) override;
  std::int32_t SetupComm(Handle handle, std::int32_t in_queue, std::int32_t out_queue) override;
  std::int32_t SetCommTimeouts(Handle handle, const CommTimeouts& timeouts) override;
  // Serves the bytes the port has read ahead; when there are none, waits with poll for at
  // most the total read time-out (multiplier times count plus constant; all time-outs 0
  // waits without limit; an interval of 0xFFFFFFFF with both totals 0 returns at once
  // with what is there), lets a burst gather for a few milliseconds (never past the
  // time-out) and takes everything the terminal holds with one read. Returns 1 with
  // bytes_read 0 when the time ran out; a hang-up or a read error returns at once with
  // what was read so far, 0 when that is nothing. Bytes read ahead before a hang-up are
  // still handed out first.
  std::int32_t ReadFile(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                        std::uint32_t& bytes_read) override;
  std::int32_t CloseHandle(Handle handle) override;
  std::uint32_t bytes_at_hand(Handle handle) override;
  // With a hook, reads are meant for one thread: the hook's pace is the facade's.
  void set_wait_hook(std::function<void()> hook) override { wait_hook_.set(std::move(hook)); }

  // The device a port name leads to, or nothing when the name is not "COMn" or "COMn:"
  // with n from 1 (the letters in any case).
  std::optional<std::filesystem::path> device_path(const std::string& port_name) const;

 private:
  struct Port {
    int fd = -1;
    CommTimeouts timeouts;
    // Shared by the copies find() hands out; used by one thread at a time, as the handle.
    std::shared_ptr<ReadAhead> read_ahead = std::make_shared<ReadAhead>();
  };

  std::optional<Port> find(Handle handle) const;

  std::filesystem::path ports_folder_;
  std::string fallback_device_prefix_;
  std::vector<std::filesystem::path> lock_folders_;
  mutable std::mutex mutex_;
  // The lock files of the open ports; dropped after the device is closed.
  std::map<Handle, UucpLock> locks_;
  std::map<Handle, Port> ports_;
  Handle next_handle_ = 1;
  WaitHook wait_hook_;
};

}  // namespace schreiber::comm
