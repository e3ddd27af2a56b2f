#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <thread>

#include "comm/device_settings.h"
#include "comm/posix_comm.h"
#include "comm/system_comm.h"
#include "comm/termios_line.h"

namespace schreiber::comm {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPurgeTxAbort = 0x01;
constexpr std::uint32_t kPurgeRxAbort = 0x02;
constexpr std::uint32_t kMaxTimeout = 0xFFFFFFFF;
// How long a read lets a burst gather before it takes it: at 57600 baud about 46 bytes
// come in that time, so a steady stream costs one wake-up and a few system calls per 8 ms
// instead of two system calls per byte; no operator sees 8 ms.
constexpr auto kGathering = std::chrono::milliseconds(8);

std::optional<unsigned> port_number(const std::string& name) {
  if (name.size() < 4) return std::nullopt;
  for (std::size_t i = 0; i < 3; ++i) {
    if ((name[i] | 0x20) != "com"[i]) return std::nullopt;
  }
  std::string_view digits(name);
  digits.remove_prefix(3);
  if (digits.back() == ':') digits.remove_suffix(1);
  if (digits.empty() || digits.front() == '0' || digits.size() > 6) return std::nullopt;
  unsigned number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

void close_device(int fd) {
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);  // also releases the flock
}

// Milliseconds for poll, rounded up so that a wait never ends before the deadline.
int poll_timeout(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace

PosixComm::PosixComm(std::filesystem::path ports_folder, std::string fallback_device_prefix,
                     std::vector<std::filesystem::path> lock_folders)
    : ports_folder_(std::move(ports_folder)),
      fallback_device_prefix_(std::move(fallback_device_prefix)),
      lock_folders_(std::move(lock_folders)) {}

PosixComm::~PosixComm() {
  for (const auto& [handle, port] : ports_) close_device(port.fd);
}

std::optional<std::filesystem::path> PosixComm::device_path(const std::string& port_name) const {
  const auto number = port_number(port_name);
  if (!number) return std::nullopt;
  const std::filesystem::path link = port_link(ports_folder_, *number);
  // A link that leads nowhere still names the port: the open then fails, rather than
  // falling through to a built-in serial port the user did not mean.
  std::error_code error;
  if (std::filesystem::symlink_status(link, error).type() !=
          std::filesystem::file_type::not_found &&
      !error) {
    return link;
  }
  return fallback_device_prefix_ + std::to_string(*number - 1);
}

Handle PosixComm::CreateFile(const std::string& port_name) {
  const auto path = device_path(port_name);
  if (!path) return kInvalidHandle;
  // Other programs lock the device under its own name, not under our link to it.
  std::error_code error;
  const auto device = std::filesystem::canonical(*path, error);
  if (error) return kInvalidHandle;
  // Locked before the open: opening a modem can disturb the program that holds it.
  std::optional<UucpLock> uucp_lock;
  if (UucpLock::take(device, lock_folders_, uucp_lock) == UucpLock::Outcome::kHeldByOther) {
    return kInvalidHandle;
  }
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kInvalidHandle;
  termios line{};
  // Only a terminal is a port. The lock comes before TIOCEXCL so that a failed second
  // open never marks someone else's terminal exclusive; TIOCEXCL alone would not stop a
  // second open by root or by this process.
  if (::tcgetattr(fd, &line) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      ::ioctl(fd, TIOCEXCL) != 0) {
    ::close(fd);
    return kInvalidHandle;
  }
  std::lock_guard lock(mutex_);
  while (ports_.contains(next_handle_) || next_handle_ <= 0) {
    next_handle_ = next_handle_ == INT32_MAX ? 1 : next_handle_ + 1;
  }
  const Handle handle = next_handle_;
  next_handle_ = next_handle_ == INT32_MAX ? 1 : next_handle_ + 1;
  ports_.emplace(handle, Port{fd, {}});
  if (uucp_lock) locks_.emplace(handle, std::move(*uucp_lock));
  return handle;
}

std::optional<PosixComm::Port> PosixComm::find(Handle handle) const {
  std::lock_guard lock(mutex_);
  const auto found = ports_.find(handle);
  if (found == ports_.end()) return std::nullopt;
  return found->second;
}

std::int32_t PosixComm::ClearCommError(Handle handle) {
  // Nothing accumulates that would need clearing; the call confirms the port is there.
  const auto port = find(handle);
  termios line{};
  return port && ::tcgetattr(port->fd, &line) == 0 ? 1 : 0;
}

std::int32_t PosixComm::PurgeComm(Handle handle, std::uint32_t flags) {
  const auto port = find(handle);
  constexpr std::uint32_t kKnown = kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear;
  if (!port || (flags & ~kKnown) != 0) return 0;
  // Reads and writes are synchronous here, so there is never one to abort.
  const bool tx = (flags & kPurgeTxClear) != 0;
  const bool rx = (flags & kPurgeRxClear) != 0;
  if (!tx && !rx) return 1;
  const int queue = tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH);
  if (rx) port->read_ahead->clear();
  return ::tcflush(port->fd, queue) == 0 ? 1 : 0;
}

std::int32_t PosixComm::GetCommState(Handle handle, Dcb& dcb) {
  const auto port = find(handle);
  termios line{};
  if (!port || ::tcgetattr(port->fd, &line) != 0) return 0;
  dcb = dcb_from_termios(line);
  return 1;
}

std::int32_t PosixComm::BuildCommDCB(const std::string& settings, Dcb& dcb) {
  const auto parsed = parse_device_settings(settings, dcb);
  if (!parsed) return 0;
  // A rate that termios cannot set is refused here, where the text is judged.
  if (!speed_for_baud(parsed->baud_rate)) return 0;
  dcb = *parsed;
  return 1;
}

std::int32_t PosixComm::SetCommState(Handle handle, const Dcb& dcb) {
  const auto port = find(handle);
  termios line{};
  if (!port || ::tcgetattr(port->fd, &line) != 0) return 0;
  if (!apply_dcb_to_termios(dcb, line)) return 0;
  if (::tcsetattr(port->fd, TCSANOW, &line) != 0) return 0;
  // tcsetattr succeeds when any part was applied: read back what the driver kept.
  termios applied{};
  if (::tcgetattr(port->fd, &applied) != 0) return 0;
  const Dcb now = dcb_from_termios(applied);
  const bool kept = now.baud_rate == dcb.baud_rate && now.byte_size == dcb.byte_size &&
                    now.parity == dcb.parity && now.stop_bits == dcb.stop_bits;
  return kept ? 1 : 0;
}

std::int32_t PosixComm::SetupComm(Handle handle, std::int32_t in_queue, std::int32_t out_queue) {
  // The driver's queues have a fixed size here; the request only has to make sense.
  return find(handle) && in_queue > 0 && out_queue > 0 ? 1 : 0;
}

std::int32_t PosixComm::SetCommTimeouts(Handle handle, const CommTimeouts& timeouts) {
  std::lock_guard lock(mutex_);
  const auto found = ports_.find(handle);
  if (found == ports_.end()) return 0;
  found->second.timeouts = timeouts;
  return 1;
}

std::int32_t PosixComm::ReadFile(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                                 std::uint32_t& bytes_read) {
  bytes_read = 0;
  const auto port = find(handle);
  if (!port || (buffer == nullptr && count > 0)) return 0;
  if (count == 0) return 1;
  ReadAhead& ahead = *port->read_ahead;
  bytes_read = ahead.take(buffer, count);
  if (bytes_read == count) return 1;

  const CommTimeouts& t = port->timeouts;
  const bool return_at_once = t.ReadIntervalTimeout == kMaxTimeout &&
                              t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const std::uint64_t total_ms =
      std::uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
  const bool no_limit = !return_at_once && total_ms == 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(total_ms);

  // The buffer is empty from here on. On a quiet line, wait with poll for the first byte.
  // Then let the burst gather for a moment and take all of it with one read; while the
  // burst runs, each next read gathers again without poll, so that a steady stream costs
  // one wake-up per gathering. After a read that brought plenty more is waiting: the next
  // read goes at once.
  // A wait is cut where the program's hook is due, and the hook runs between the pieces.
  while (true) {
    if (!return_at_once) wait_hook_.call_if_due();
    if (!return_at_once && ahead.last_fill() == ReadAhead::LastFill::kNothing) {
      pollfd wait{port->fd, POLLIN, 0};
      const int until_deadline = no_limit ? -1 : poll_timeout(deadline);
      int timeout = until_deadline;
      if (wait_hook_) {
        const int until_hook = poll_timeout(wait_hook_.due());
        if (timeout < 0 || until_hook < timeout) timeout = until_hook;
      }
      const int ready = ::poll(&wait, 1, timeout);
      if (ready < 0) {
        if (errno == EINTR) continue;
        return bytes_read > 0 ? 1 : 0;
      }
      if (ready == 0) {
        if (until_deadline == 0) return 1;  // time is up, and nothing came
        continue;
      }
      if ((wait.revents & POLLIN) == 0 && (wait.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return bytes_read > 0 ? 1 : 0;
      }
    }
    if (!return_at_once && ahead.last_fill() != ReadAhead::LastFill::kPlenty) {
      auto gathering = std::chrono::duration_cast<Clock::duration>(kGathering);
      if (!no_limit) gathering = std::min(gathering, deadline - Clock::now());
      if (gathering > Clock::duration::zero()) std::this_thread::sleep_for(gathering);
    }
    const ssize_t n = ahead.fill(port->fd);
    if (n > 0) {
      bytes_read += ahead.take(buffer + bytes_read, count - bytes_read);
      if (bytes_read == count) return 1;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // End of file: the other side hung up. Any error but "nothing there yet" is final too.
    if (n == 0 || errno != EAGAIN) return bytes_read > 0 ? 1 : 0;
    if (return_at_once) return 1;
  }
}

std::int32_t PosixComm::CloseHandle(Handle handle) {
  int fd = -1;
  decltype(locks_)::node_type uucp_lock;
  {
    std::lock_guard lock(mutex_);
    const auto found = ports_.find(handle);
    if (found == ports_.end()) return 0;
    fd = found->second.fd;
    ports_.erase(found);
    uucp_lock = locks_.extract(handle);
  }
  close_device(fd);
  return 1;  // the lock file goes with uucp_lock, after the device is closed
}

std::uint32_t PosixComm::bytes_at_hand(Handle handle) {
  const auto port = find(handle);
  return port ? port->read_ahead->size() : 0;
}

std::unique_ptr<Comm> make_system_comm(const std::filesystem::path& program_folder) {
  return std::make_unique<PosixComm>(ports_folder_of(program_folder));
}

}  // namespace schreiber::comm
