#pragma once
// Plays an instrument on a pseudo-terminal: the bytes of a recording, paced at the line
// rate, with optional silences and a pulled cable. Used by tests and by
// `schreiber-cli simulate`.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace schreiber::sim {

class PseudoTerminal;

// A silence of `length` after byte number `after_byte` (counting from 1; 0 = before the
// first byte).
struct Pause {
  std::size_t after_byte = 0;
  std::chrono::milliseconds length{0};
};

struct Options {
  // The symlink the receiving side opens, e.g. <program folder>/ports/COM1.
  std::filesystem::path link;
  std::string bytes;
  // 10 bits per byte on the wire: baud / 10 bytes per second. 0 sends as fast as the
  // receiving side takes them.
  int baud = 57600;
  std::vector<Pause> pauses;
  // The cable is pulled after this many bytes, once the receiving side has read them.
  std::optional<std::size_t> hangup_after;
  // Wait until the receiving side has set 57600 baud, 8N1, raw, before the first byte,
  // as an operator presses send on the instrument only after pressing start.
  bool start_when_configured = false;
};

class Simulator {
 public:
  // Makes the pseudo-terminal and points the link at it (a symlink already there is
  // replaced). Throws std::invalid_argument for bad options, std::runtime_error or
  // std::system_error when the line or the link cannot be made.
  explicit Simulator(Options options);
  // stop()
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Starts sending on a background thread. Call once.
  void start();

  // Until every byte to be sent (all of them, or those before the hang-up) is written to
  // the line, or the sender ended.
  void wait_until_sent();
  // Until the receiving side has also read them all (and, with hangup_after, the cable is
  // pulled), or the sender ended on an error. The line stays up afterwards until stop().
  // False when the time ran out.
  bool wait_until_drained(std::chrono::milliseconds timeout);
  void wait_until_drained();

  std::size_t bytes_sent() const { return bytes_sent_.load(); }
  // True once the cable was pulled after hangup_after bytes.
  bool hung_up() const { return hung_up_.load(); }
  // Set when writing to the line failed; the sender then ended.
  std::string error() const;
  // The device the link points at.
  const std::filesystem::path& slave_path() const;

  // Stops sending, closes the line (the receiving side sees a hang-up) and removes the
  // link if it still points at this line. Idempotent.
  void stop();

 private:
  using Clock = std::chrono::steady_clock;

  void run();
  bool wait_for_receiver();
  bool send();
  bool wait_until_read();
  // Sleeps until `until` (or until the line takes bytes, if `writable`). False on stop().
  bool sleep_until(Clock::time_point until, bool writable = false);
  void set_phase(bool sent, bool drained);

  Options options_;
  std::unique_ptr<PseudoTerminal> line_;
  int wake_read_ = -1;
  int wake_write_ = -1;
  std::thread sender_;
  std::atomic<bool> stopping_{false};
  std::atomic<std::size_t> bytes_sent_{0};
  std::atomic<bool> hung_up_{false};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool sent_ = false;
  bool drained_ = false;
  bool stopped_ = false;
  std::string error_;
};

}  // namespace schreiber::sim
