#pragma once
// How often a window lets its desktop in while the logic runs: every Refresh and every
// wait of a read asks, and the answer is yes at most every 40 ms. That is far within the
// 1 s a desktop allows and keeps a fast download from paying for it.

#include <chrono>

namespace schreiber::window {

class KeepAlivePace {
 public:
  bool due() {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return false;
    next_ = now + kPace;
    return true;
  }

 private:
  static constexpr auto kPace = std::chrono::milliseconds(40);
  std::chrono::steady_clock::time_point next_{};
};

}  // namespace schreiber::window
