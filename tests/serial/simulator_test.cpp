// The instrument simulator, read from the far end of its line: pacing, silences, the
// pulled cable, waiting for the receiver, the link.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "support/temp_folder.h"

namespace schreiber::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string counting_bytes(std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<char>(i * 7 % 256));
  return bytes;
}

// The receiving end: the line opened through the link, as a port would be.
class Receiver {
 public:
  explicit Receiver(const std::filesystem::path& link)
      : fd_(::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
  ~Receiver() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

  void set_line(speed_t speed) {
    termios line{};
    ASSERT_EQ(::tcgetattr(fd_, &line), 0);
    ::cfmakeraw(&line);
    ::cfsetispeed(&line, speed);
    ::cfsetospeed(&line, speed);
    ASSERT_EQ(::tcsetattr(fd_, TCSANOW, &line), 0);
  }

  // Reads until `count` bytes came, the line hung up, or `patience` passed without a
  // byte. Notes when each byte arrived.
  void read(std::size_t count, milliseconds patience = milliseconds(2000)) {
    while (bytes.size() < count) {
      pollfd wait{fd_, POLLIN, 0};
      if (::poll(&wait, 1, static_cast<int>(patience.count())) <= 0) return;
      char buffer[512];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        hung_up = true;
        return;
      }
      const auto now = Clock::now();
      bytes.append(buffer, static_cast<std::size_t>(n));
      arrivals.insert(arrivals.end(), static_cast<std::size_t>(n), now);
    }
  }

  // True when the line shows a hang-up within `patience`.
  bool sees_hang_up(milliseconds patience) {
    pollfd wait{fd_, POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(patience.count())) <= 0) return false;
    char byte;
    return (wait.revents & POLLHUP) != 0 || ::read(fd_, &byte, 1) <= 0;
  }

  std::string bytes;
  std::vector<Clock::time_point> arrivals;
  bool hung_up = false;

 private:
  int fd_;
};

class SimulatorTest : public ::testing::Test {
 protected:
  Options options_with(std::string bytes, int baud) {
    Options options;
    options.link = link;
    options.bytes = std::move(bytes);
    options.baud = baud;
    return options;
  }

  testing::TempFolder folder;
  std::filesystem::path link = folder / "COM1";
};

// What the pacing promises: every byte, none before its time, i.e. byte k (from 0) not
// before k byte times (10 bits each) plus the silences before it, counted from the start. A stalled
// sender or receiver only makes bytes late, so the lower bound holds on a loaded machine;
// the upper bound is loose and only catches a stream that never ends.
TEST_F(SimulatorTest, EveryByteArrivesNoneBeforeItsTime) {
  struct Case {
    const char* name;
    std::size_t count;
    int baud;
    std::vector<Pause> pauses;
  };
  const Case cases[] = {
      {"lineRate", 600, 57600, {}},  // 104 ms
      {"silences",
       40,
       57600,
       {{20, milliseconds(200)}, {20, milliseconds(100)}, {0, milliseconds(50)}}},
      {"slowLine", 60, 2400, {{30, milliseconds(40)}}},  // 250 ms plus the silence
      // Unpaced: more than the line's queue holds, as fast as the receiver takes it.
      {"unpaced", 50000, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempFolder here;
    Options options = options_with(counting_bytes(c.count), c.baud);
    options.link = here / "COM1";
    options.pauses = c.pauses;
    Simulator simulator(options);
    Receiver receiver(options.link);
    const auto started = Clock::now();
    simulator.start();
    receiver.read(c.count);
    ASSERT_EQ(receiver.bytes, options.bytes);
    const auto byte_time = std::chrono::nanoseconds(c.baud == 0 ? 0 : 10'000'000'000LL / c.baud);
    std::size_t early = 0;
    std::chrono::nanoseconds due{};
    for (std::size_t k = 0; k < c.count; ++k) {
      due = static_cast<std::int64_t>(k) * byte_time;
      for (const auto& pause : c.pauses)
        if (pause.after_byte <= k) due += pause.length;
      if (receiver.arrivals[k] - started + milliseconds(1) < due) ++early;
    }
    EXPECT_EQ(early, 0u) << "bytes that came before their time";
    EXPECT_LT(receiver.arrivals.back() - started, due + milliseconds(3000));
    EXPECT_TRUE(simulator.wait_until_drained(milliseconds(2000)));
    EXPECT_EQ(simulator.bytes_sent(), c.count);
  }
}

TEST_F(SimulatorTest, PullsTheCableAfterTheGivenCountOnceItWasRead) {
  Options options = options_with(counting_bytes(100), 0);
  options.hangup_after = 30;
  Simulator simulator(options);
  Receiver receiver(link);
  simulator.start();
  receiver.read(100);
  EXPECT_EQ(receiver.bytes, options.bytes.substr(0, 30));
  EXPECT_TRUE(receiver.hung_up);
  EXPECT_TRUE(simulator.wait_until_drained(milliseconds(2000)));
  EXPECT_TRUE(simulator.hung_up());
  EXPECT_EQ(simulator.bytes_sent(), 30u);
}

TEST_F(SimulatorTest, WaitsForTheReceiverToSet57600Baud) {
  Options options = options_with("hello", 57600);
  options.start_when_configured = true;
  Simulator simulator(options);
  Receiver receiver(link);
  simulator.start();

  receiver.set_line(B9600);  // raw, but not the instrument's rate
  receiver.read(1, milliseconds(150));
  EXPECT_EQ(receiver.bytes, "");
  EXPECT_EQ(simulator.bytes_sent(), 0u);

  receiver.set_line(B57600);
  receiver.read(5);
  EXPECT_EQ(receiver.bytes, "hello");
}

TEST_F(SimulatorTest, KeepsTheLineUpAfterTheLastByteUntilStopped) {
  Simulator simulator(options_with("abc", 0));
  Receiver receiver(link);
  simulator.start();
  receiver.read(3);
  ASSERT_TRUE(simulator.wait_until_drained(milliseconds(2000)));
  EXPECT_FALSE(receiver.sees_hang_up(milliseconds(100)));
  simulator.stop();
  EXPECT_TRUE(receiver.sees_hang_up(milliseconds(1000)));
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST_F(SimulatorTest, DoesNotCountBytesAsReadWhileNobodyReadsThem) {
  Simulator simulator(options_with("unread", 0));
  simulator.start();
  simulator.wait_until_sent();
  EXPECT_EQ(simulator.bytes_sent(), 6u);
  EXPECT_FALSE(simulator.wait_until_drained(milliseconds(150)));
}

TEST_F(SimulatorTest, ReplacesALinkButNothingElse) {
  std::filesystem::create_symlink("/dev/null", link);
  {
    Simulator simulator(options_with("x", 0));
    EXPECT_EQ(std::filesystem::read_symlink(link), simulator.slave_path());
  }
  testing::write_file(folder / "COM2", "keep me");
  Options options = options_with("x", 0);
  options.link = folder / "COM2";
  EXPECT_THROW(Simulator{options}, std::runtime_error);
  EXPECT_EQ(testing::read_file(folder / "COM2"), "keep me");
}

}  // namespace
}  // namespace schreiber::sim
