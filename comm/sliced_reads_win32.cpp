#include "comm/sliced_reads_win32.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace schreiber::comm {
namespace {

using Clock = WaitHook::Clock;

constexpr DWORD kSliceMs = static_cast<DWORD>(WaitHook::kSlice.count());

// The port's time-outs as the system takes them, with the read's total wait given.
COMMTIMEOUTS system_record(const CommTimeouts& timeouts, DWORD read_total_ms) {
  COMMTIMEOUTS record{};
  record.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
  record.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
  record.ReadTotalTimeoutConstant = read_total_ms;
  record.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
  record.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
  return record;
}

// One kernel32 read, as long as the port's time-outs at the system let it wait. The port is
// not opened for overlapped operation: with a zero-filled record the read is synchronous.
BOOL read_piece(HANDLE port, std::uint8_t* buffer, std::uint32_t count, DWORD& read) {
  OVERLAPPED overlapped{};
  read = 0;
  return ::ReadFile(port, buffer, count, &read, &overlapped);
}

}  // namespace

bool SlicedReads::sliced(const CommTimeouts& timeouts) const {
  return hook_ && timeouts.ReadIntervalTimeout == 0 && timeouts.ReadTotalTimeoutMultiplier == 0 &&
         (timeouts.ReadTotalTimeoutConstant == 0 || timeouts.ReadTotalTimeoutConstant > kSliceMs);
}

BOOL SlicedReads::set_timeouts(HANDLE port, Handle handle, const CommTimeouts& timeouts) {
  const bool cut = sliced(timeouts);
  COMMTIMEOUTS record =
      system_record(timeouts, cut ? kSliceMs : timeouts.ReadTotalTimeoutConstant);
  const BOOL result = ::SetCommTimeouts(port, &record);
  std::lock_guard lock(mutex_);
  if (result && cut) {
    sliced_ports_[handle] = timeouts;
  } else if (result) {
    sliced_ports_.erase(handle);
  }
  return result;
}

void SlicedReads::forget(Handle handle) {
  std::lock_guard lock(mutex_);
  sliced_ports_.erase(handle);
}

BOOL SlicedReads::read(HANDLE port, Handle handle, std::uint8_t* buffer, std::uint32_t count,
                       std::uint32_t& bytes_read) {
  std::optional<CommTimeouts> asked;
  {
    std::lock_guard lock(mutex_);
    const auto found = sliced_ports_.find(handle);
    if (found != sliced_ports_.end()) asked = found->second;
  }
  hook_.call_if_due();
  DWORD read = 0;
  if (!asked) {
    const BOOL result = read_piece(port, buffer, count, read);
    bytes_read = read;
    return result;
  }

  const DWORD total_ms = asked->ReadTotalTimeoutConstant;  // 0: no limit
  const auto deadline = Clock::now() + std::chrono::milliseconds(total_ms);
  bytes_read = 0;
  for (;;) {
    // The last piece waits only what is left of the time-out, then the slice is back.
    std::optional<COMMTIMEOUTS> last_piece;
    if (total_ms != 0) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left < WaitHook::kSlice) {
        last_piece = system_record(
            *asked, static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(left.count(), 1)));
        ::SetCommTimeouts(port, &*last_piece);
      }
    }
    const BOOL result = read_piece(port, buffer + bytes_read, count - bytes_read, read);
    bytes_read += read;
    if (last_piece) {
      COMMTIMEOUTS slice = system_record(*asked, kSliceMs);
      ::SetCommTimeouts(port, &slice);
    }
    if (!result) return result;
    if (bytes_read == count || last_piece) return TRUE;
    if (total_ms != 0 && Clock::now() >= deadline) return TRUE;
    hook_.call_if_due();
  }
}

}  // namespace schreiber::comm
