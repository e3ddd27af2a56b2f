#pragma once
// The platform's serial calls, shaped like the Windows communications API: one call per
// step, results as the Windows calls give them (1 for success, 0 for failure; a handle
// value greater than 0 for an open port, -1 for none). On Windows each member is the
// kernel32 call of the same name; elsewhere an implementation gives the same results.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace schreiber::comm {

using Handle = std::int32_t;
inline constexpr Handle kInvalidHandle = -1;

inline constexpr std::uint32_t kPurgeTxClear = 0x04;
inline constexpr std::uint32_t kPurgeRxClear = 0x08;

enum class Parity : std::uint8_t { kNone, kOdd, kEven, kMark, kSpace };
enum class StopBits : std::uint8_t { kOne, kOnePointFive, kTwo };

// The line settings, as far as the program's settings text can change them.
struct Dcb {
  std::uint32_t baud_rate = 0;
  std::uint8_t byte_size = 8;
  Parity parity = Parity::kNone;
  StopBits stop_bits = StopBits::kOne;
  // The platform's own record, carried unchanged from GetCommState through BuildCommDCB to
  // SetCommState (the whole DCB on Windows; unused elsewhere).
  std::array<std::uint8_t, 32> platform{};
};

struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

class Comm {
 public:
  virtual ~Comm() = default;

  // Opens a port by its name ("COM3:") for exclusive reading and writing.
  virtual Handle CreateFile(const std::string& port_name) = 0;
  virtual std::int32_t ClearCommError(Handle handle) = 0;
  virtual std::int32_t PurgeComm(Handle handle, std::uint32_t flags) = 0;
  virtual std::int32_t GetCommState(Handle handle, Dcb& dcb) = 0;
  // Changes `dcb` from a settings text such as "baud=57600 parity=N data=8 stop=1".
  virtual std::int32_t BuildCommDCB(const std::string& settings, Dcb& dcb) = 0;
  virtual std::int32_t SetCommState(Handle handle, const Dcb& dcb) = 0;
  virtual std::int32_t SetupComm(Handle handle, std::int32_t in_queue, std::int32_t out_queue) = 0;
  virtual std::int32_t SetCommTimeouts(Handle handle, const CommTimeouts& timeouts) = 0;
  // Reads up to `count` bytes, waiting at most the read time-out.
  virtual std::int32_t ReadFile(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                                std::uint32_t& bytes_read) = 0;
  virtual std::int32_t CloseHandle(Handle handle) = 0;

  // Bytes that the next reads of this port return without asking the system, and so
  // without waiting: what a read-ahead below ReadFile holds. 0 where every read goes to
  // the system (kernel32).
  virtual std::uint32_t bytes_at_hand(Handle) { return 0; }

  // While a read waits for the line, it calls `hook` about every 100 ms (and, during a
  // steady stream, between bursts at most that often), on the reading thread, so that the
  // program's window can answer the desktop. The wait is cut into slices for it; what a
  // read returns and when it times out stay the same. The hook must not call this facade.
  // Set it before reading. Without a hook a read waits in one piece.
  virtual void set_wait_hook(std::function<void()> hook) { (void)hook; }
};

}  // namespace schreiber::comm
