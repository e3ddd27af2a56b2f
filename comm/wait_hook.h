#pragma once
// What a read does while it waits for the line: it calls the program's hook every
// slice, so that a window can answer its desktop during a long download. The hook is
// called from inside the read, on the reading thread, at most once per slice.

#include <chrono>
#include <functional>
#include <utility>

namespace schreiber::comm {

class WaitHook {
 public:
  using Clock = std::chrono::steady_clock;
  // Short enough that a window answers well within a second.
  static constexpr std::chrono::milliseconds kSlice{100};

  void set(std::function<void()> hook) { hook_ = std::move(hook); }
  explicit operator bool() const { return static_cast<bool>(hook_); }

  // Calls the hook when a slice has passed since the last call.
  void call_if_due() {
    if (!hook_) return;
    const auto now = Clock::now();
    if (now < next_) return;
    hook_();
    next_ = Clock::now() + kSlice;
  }

  // When the next call is due: a wait longer than this is cut there.
  Clock::time_point due() const { return next_; }

 private:
  std::function<void()> hook_;
  Clock::time_point next_{};
};

}  // namespace schreiber::comm
