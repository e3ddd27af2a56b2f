#pragma once
// kernel32 reads whose wait is cut into slices, so that the program's wait hook runs
// while a read waits for the line. A port whose read time-out is one total (no interval,
// no multiplier) gets the slice as its time-out from the system; each read then calls
// ReadFile until the byte count or the port's own time-out, and the last piece waits only
// what is left of it. Other time-outs go to the system unchanged and reads wait in one piece.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "comm/comm.h"
#include "comm/wait_hook.h"
#include "platform/win32_api.h"

namespace schreiber::comm {

class SlicedReads {
 public:
  void set_hook(std::function<void()> hook) { hook_.set(std::move(hook)); }

  // SetCommTimeouts with the slice in place of a total time-out that is longer.
  BOOL set_timeouts(HANDLE port, Handle handle, const CommTimeouts& timeouts);
  BOOL read(HANDLE port, Handle handle, std::uint8_t* buffer, std::uint32_t count,
            std::uint32_t& bytes_read);
  void forget(Handle handle);

 private:
  bool sliced(const CommTimeouts& timeouts) const;

  WaitHook hook_;
  std::mutex mutex_;
  std::map<Handle, CommTimeouts> sliced_ports_;  // the time-outs as the caller set them
};

}  // namespace schreiber::comm
