#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>
#include <system_error>

#include "sim/pseudo_terminal.h"

namespace schreiber::sim {

namespace {

// Paced bytes go out in small bursts, one wake-up per burst, rather than one per byte.
constexpr auto kBurst = std::chrono::milliseconds(2);
constexpr auto kPollInterval = std::chrono::milliseconds(5);
// The input queue must stay empty this long before the bytes count as read: a byte just
// written may not have reached the queue when it is measured.
constexpr auto kSettled = std::chrono::milliseconds(20);

// Silences by position, those at one position added up.
std::map<std::size_t, std::chrono::milliseconds> merge(const std::vector<Pause>& pauses) {
  std::map<std::size_t, std::chrono::milliseconds> merged;
  for (const auto& pause : pauses) merged[pause.after_byte] += pause.length;
  return merged;
}

}  // namespace

Simulator::Simulator(Options options) : options_(std::move(options)) {
  if (options_.link.empty()) throw std::invalid_argument("no link path");
  if (options_.baud < 0) throw std::invalid_argument("negative baud rate");
  for (const auto& pause : options_.pauses) {
    if (pause.length.count() < 0) throw std::invalid_argument("negative pause");
  }
  line_ = std::make_unique<PseudoTerminal>();
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe");
  }
  wake_read_ = pipe_ends[0];
  wake_write_ = pipe_ends[1];
  try {
    point_link(options_.link, line_->slave_path());
  } catch (...) {
    ::close(wake_read_);
    ::close(wake_write_);
    throw;
  }
}

Simulator::~Simulator() {
  stop();
  ::close(wake_read_);
  ::close(wake_write_);
}

const std::filesystem::path& Simulator::slave_path() const {
  return line_->slave_path();
}

std::string Simulator::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void Simulator::start() {
  if (sender_.joinable() || stopping_) return;
  sender_ = std::thread([this] { run(); });
}

void Simulator::stop() {
  if (stopping_.exchange(true)) return;
  const char wake = 1;
  [[maybe_unused]] const auto written = ::write(wake_write_, &wake, 1);
  if (sender_.joinable()) sender_.join();
  line_->hang_up();
  remove_link_to(options_.link, line_->slave_path());
  std::lock_guard lock(mutex_);
  stopped_ = true;
  changed_.notify_all();
}

void Simulator::wait_until_sent() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return sent_ || stopped_; });
}

void Simulator::wait_until_drained() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return drained_ || stopped_; });
}

bool Simulator::wait_until_drained(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return drained_ || stopped_; });
}

void Simulator::set_phase(bool sent, bool drained) {
  std::lock_guard lock(mutex_);
  sent_ = sent_ || sent;
  drained_ = drained_ || drained;
  changed_.notify_all();
}

void Simulator::run() {
  if (!wait_for_receiver()) return;
  const bool complete = send();
  // A line that failed will never be drained: end every wait, error() tells why.
  set_phase(true, !complete);
  if (!complete || !wait_until_read()) return;
  if (options_.hangup_after) {
    line_->hang_up();
    hung_up_ = true;
  }
  set_phase(true, true);
}

bool Simulator::wait_for_receiver() {
  if (!options_.start_when_configured) return true;
  while (!line_->configured_for(B57600)) {
    if (!sleep_until(Clock::now() + kPollInterval)) return false;
  }
  return true;
}

bool Simulator::send() {
  const std::string& bytes = options_.bytes;
  const std::size_t limit = std::min(bytes.size(), options_.hangup_after.value_or(bytes.size()));
  const auto pauses = merge(options_.pauses);
  auto next_pause = pauses.begin();
  const std::int64_t baud = options_.baud;

  // Byte i is due at base + (i - base_index) byte times. Timing from a fixed base keeps
  // the rate exact over the whole stream; each silence starts a new base.
  Clock::time_point base = Clock::now();
  std::size_t base_index = 0;
  const auto due = [&](std::size_t index) {
    if (baud == 0) return base;
    const auto offset = static_cast<std::int64_t>(index - base_index) * 10'000'000'000LL / baud;
    return base + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(offset));
  };
  const std::size_t burst =
      baud == 0 ? 1 : std::max<std::size_t>(1, kBurst.count() * baud / 10'000);

  std::size_t sent = 0;
  while (sent < limit) {
    if (stopping_) return false;
    while (next_pause != pauses.end() && next_pause->first < sent) ++next_pause;
    if (next_pause != pauses.end() && next_pause->first == sent) {
      // The silence begins when the last byte before it has left.
      const auto until = std::max(Clock::now(), due(sent)) + next_pause->second;
      if (!sleep_until(until)) return false;
      base = until;
      base_index = sent;
      ++next_pause;
      continue;
    }
    std::size_t stretch_end = limit;  // up to the next silence
    if (next_pause != pauses.end()) stretch_end = std::min(stretch_end, next_pause->first);
    std::size_t end = stretch_end;
    if (baud != 0) {
      const double elapsed = std::chrono::duration<double>(Clock::now() - base).count();
      const double on_time = std::floor(std::max(0.0, elapsed) * static_cast<double>(baud) / 10.0);
      end = std::min(end, base_index + static_cast<std::size_t>(on_time) + 1);
      if (end <= sent) {
        if (!sleep_until(due(std::min(sent + burst, stretch_end) - 1))) return false;
        continue;
      }
    }
    const ssize_t written = ::write(line_->master(), bytes.data() + sent, end - sent);
    if (written > 0) {
      sent += static_cast<std::size_t>(written);
      bytes_sent_ = sent;
    } else if (written < 0 && errno == EAGAIN) {
      // The receiving side's queue is full: wait until it takes more.
      if (!sleep_until(Clock::now() + std::chrono::milliseconds(50), true)) return false;
    } else if (written < 0 && errno != EINTR) {
      std::lock_guard lock(mutex_);
      error_ = std::string("write to the line: ") + std::strerror(errno);
      return false;
    }
  }
  return true;
}

bool Simulator::wait_until_read() {
  std::optional<Clock::time_point> empty_since;
  while (true) {
    const auto now = Clock::now();
    if (line_->unread() > 0) {
      empty_since.reset();
    } else if (!empty_since) {
      empty_since = now;
    } else if (now - *empty_since >= kSettled) {
      return true;
    }
    if (!sleep_until(now + kPollInterval)) return false;
  }
}

bool Simulator::sleep_until(Clock::time_point until, bool writable) {
  while (true) {
    if (stopping_) return false;
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero()) return true;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                           static_cast<long>(ns % 1'000'000'000)};
    pollfd fds[2] = {{wake_read_, POLLIN, 0}, {line_->master(), POLLOUT, 0}};
    const int ready = ::ppoll(fds, writable ? 2 : 1, &timeout, nullptr);
    if (ready > 0 && writable && (fds[1].revents & POLLOUT) != 0) return !stopping_;
    if (ready < 0 && errno != EINTR) return !stopping_;
  }
}

}  // namespace schreiber::sim
