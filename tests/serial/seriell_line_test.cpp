// The serial module over real pseudo-terminals: what the far end of the line sees, the
// exclusive open and the device lock files, bad settings and bad ports, every byte value,
// time-outs and hang-ups.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "comm/posix_comm.h"
#include "serial/seriell.h"
#include "sim/pseudo_terminal.h"
#include "support/lock_files.h"
#include "support/temp_folder.h"

namespace schreiber::serial {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kSettings = "baud=57600 parity=N data=8 stop=1";

void write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    ASSERT_GT(n, 0);
    done += static_cast<std::size_t>(n);
  }
}

milliseconds since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

class SerialLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(ports);
    sim::point_link(ports / "COM1", line.slave_path());
  }

  std::int16_t open(Seriell& which, std::int16_t port = 1, const std::string& settings = kSettings,
                    std::int32_t read_timeout = 3000) {
    return which.OpenComPort(port, settings, 10240, 10240, read_timeout, 1000);
  }

  testing::TempFolder folder;
  std::filesystem::path ports = folder / "ports";
  sim::PseudoTerminal line;
  comm::PosixComm comm{ports};
  Seriell seriell{comm};
};

TEST_F(SerialLine, TheFarEndSees57600EightNoneOneRawWithoutFlowControl) {
  // Start from a cooked line with flow control, so that the open has to change all of it.
  termios before{};
  ASSERT_EQ(::tcgetattr(line.master(), &before), 0);
  before.c_iflag |= ICRNL | IXON | IXOFF | IXANY | ISTRIP;
  before.c_oflag |= OPOST | ONLCR;
  before.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
  before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
  cfsetospeed(&before, B9600);
  cfsetispeed(&before, B9600);
  ASSERT_EQ(::tcsetattr(line.master(), TCSANOW, &before), 0);

  ASSERT_EQ(open(seriell), kOpened);
  EXPECT_GT(seriell.hComPort, 0);

  termios seen{};
  ASSERT_EQ(::tcgetattr(line.master(), &seen), 0);
  EXPECT_EQ(cfgetospeed(&seen), static_cast<speed_t>(B57600));
  EXPECT_EQ(cfgetispeed(&seen), static_cast<speed_t>(B57600));
  EXPECT_EQ(seen.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(seen.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(seen.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_EQ(seen.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(seen.c_oflag & OPOST, 0u);
  EXPECT_EQ(seen.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
}

// Some devices keep only part of a setting (a Linux pseudo-terminal, for one, forces eight
// data bits without parity). The open succeeds only if the line really runs as asked.
TEST_F(SerialLine, SucceedsOnlyWhenTheDeviceKeepsTheFraming) {
  const std::int16_t result = open(seriell, 1, "baud=9600 parity=M data=7 stop=2");
  termios seen{};
  ASSERT_EQ(::tcgetattr(line.master(), &seen), 0);
  constexpr tcflag_t kAsked = CS7 | PARENB | PARODD | CMSPAR | CSTOPB;
  const bool kept = (seen.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB)) == kAsked;
  EXPECT_EQ(result, kept ? 1 : -6);
  if (!kept) {
    EXPECT_LE(seriell.hComPort, 0);
    EXPECT_EQ(open(seriell), kOpened);
  }
}

TEST_F(SerialLine, ASecondOpenOfAnOpenPortFailsUntilTheFirstCloses) {
  ASSERT_EQ(open(seriell), kOpened);

  Seriell same_process(comm);
  EXPECT_EQ(open(same_process), kCreateFileFailed);
  EXPECT_EQ(same_process.hComPort, -1);

  // Another facade, reaching the same device under another name.
  sim::point_link(ports / "COM2", line.slave_path());
  comm::PosixComm other_comm(ports);
  Seriell other(other_comm);
  EXPECT_EQ(open(other, 2), kCreateFileFailed);

  seriell.CloseComPort();
  EXPECT_EQ(open(other, 2), kOpened);
}

// The lock file of the serial-device convention, in a lock folder of the test's own.
TEST_F(SerialLine, ALockFileOfALiveProcessKeepsThePortAndAStaleOneIsReplaced) {
  const auto locks = folder / "lock";
  std::filesystem::create_directory(locks);
  comm::PosixComm locking(ports, "/dev/ttyS", {locks});
  Seriell port(locking);
  const auto device = std::filesystem::canonical(line.slave_path()).filename().string();
  const auto lock_file = locks / ("LCK.." + device);
  using testing::lock_text;

  testing::write_file(lock_file, lock_text(1));  // init: always there
  EXPECT_EQ(open(port), kCreateFileFailed);
  EXPECT_EQ(testing::read_file(lock_file), lock_text(1));

  testing::write_file(lock_file, lock_text(testing::ended_process()));
  ASSERT_EQ(open(port), kOpened);
  EXPECT_EQ(testing::read_file(lock_file), lock_text(::getpid()));

  port.CloseComPort();
  EXPECT_FALSE(std::filesystem::exists(lock_file));
}

TEST_F(SerialLine, ALockFolderThatCannotBeWrittenDoesNotKeepThePortClosed) {
  for (const auto& locks : {folder / "missing", std::filesystem::path("/proc")}) {
    SCOPED_TRACE(locks.string());
    comm::PosixComm unlocked(ports, "/dev/ttyS", {locks});
    Seriell port(unlocked);
    EXPECT_EQ(open(port), kOpened);
  }
}

TEST_F(SerialLine, PortZeroFails) {
  EXPECT_EQ(open(seriell, 0), kCreateFileFailed);
  EXPECT_EQ(seriell.hComPort, -1);
}

TEST_F(SerialLine, ASettingsTextThePortCannotApplyGivesMinusFiveAndClosesThePort) {
  // Which texts are refused is the settings test's business; here, what follows.
  for (const std::string text : {"baud=12345", "data=8 stop=1.5"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(open(seriell, 1, text), kBuildCommDcbFailed);
    EXPECT_LE(seriell.hComPort, 0);
    // Closed for real: the exclusive open succeeds again.
    ASSERT_EQ(open(seriell), kOpened);
    seriell.CloseComPort();
  }
}

TEST_F(SerialLine, QueueSizesThatMakeNoSenseGiveMinusSeven) {
  for (const auto& [in_queue, out_queue] :
       std::vector<std::pair<int, int>>{{-1, 10240}, {10240, 0}}) {
    EXPECT_EQ(seriell.OpenComPort(1, kSettings, in_queue, out_queue, 3000, 1000), kSetupCommFailed);
    EXPECT_LE(seriell.hComPort, 0);
  }
  EXPECT_EQ(open(seriell), kOpened);
}

TEST_F(SerialLine, APortThatIsNoTerminalFailsToOpen) {
  testing::write_file(folder / "plain.txt", "not a port");
  std::filesystem::create_directory(folder / "a-folder");
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  const std::vector<std::filesystem::path> targets = {
      folder / "plain.txt", folder / "a-folder", folder / "fifo", "/dev/null", folder / "missing"};
  for (const auto& target : targets) {
    SCOPED_TRACE(target.string());
    sim::point_link(ports / "COM5", target);
    EXPECT_EQ(open(seriell, 5), kCreateFileFailed);
    std::int16_t flag = 0;
    seriell.ReadComByte(flag);
    EXPECT_EQ(flag, -1);
  }
  EXPECT_EQ(testing::read_file(folder / "plain.txt"), "not a port");
}

TEST_F(SerialLine, WithoutALinkTheNumberedSystemPortIsUsed) {
  comm::PosixComm with_fallback(ports, (folder / "ttyS").string());
  sim::point_link(folder / "ttyS6", line.slave_path());
  EXPECT_EQ(with_fallback.device_path("COM7:"), folder / "ttyS6");
  EXPECT_EQ(with_fallback.device_path("com1"), ports / "COM1");
  Seriell on_fallback(with_fallback);
  EXPECT_EQ(open(on_fallback, 7), kOpened);
}

TEST(PortNames, OnlyComAndANumberFromOneNameAPort) {
  comm::PosixComm comm("/nonexistent/ports");
  EXPECT_EQ(comm.device_path("COM1:"), "/dev/ttyS0");
  EXPECT_EQ(comm.device_path("COM12"), "/dev/ttyS11");
  for (const std::string name :
       {"COM0:", "COM:", "COM", "COM03:", "COM-1:", "LPT1:", "COM3x", "COM3::", " COM3:", ""}) {
    EXPECT_FALSE(comm.device_path(name)) << name;
  }
}

TEST_F(SerialLine, ALinkThatLeadsNowhereIsNotSkipped) {
  comm::PosixComm with_fallback(ports, (folder / "ttyS").string());
  sim::point_link(folder / "ttyS3", line.slave_path());
  sim::point_link(ports / "COM4", folder / "gone");
  Seriell on_fallback(with_fallback);
  EXPECT_EQ(open(on_fallback, 4), kCreateFileFailed);
}

TEST_F(SerialLine, EveryByteValueArrivesUnchanged) {
  ASSERT_EQ(open(seriell), kOpened);
  std::string all;
  for (int value = 0; value < 256; ++value) all.push_back(static_cast<char>(value));
  write_all(line.master(), all + all);

  std::string received;
  for (std::size_t i = 0; i < 2 * all.size(); ++i) {
    std::int16_t flag = 0;
    const std::uint8_t byte = seriell.ReadComByte(flag);
    ASSERT_EQ(flag, 0) << "at byte " << i;
    received.push_back(static_cast<char>(byte));
  }
  EXPECT_EQ(received, all + all);
}

TEST_F(SerialLine, AZeroByteComesBackWithTheFlagAsTheCallerSetIt) {
  ASSERT_EQ(open(seriell), kOpened);
  write_all(line.master(), std::string(2, '\0'));
  for (const std::int16_t start : {0, 7}) {
    std::int16_t flag = start;
    EXPECT_EQ(seriell.ReadComByte(flag), 0);
    EXPECT_EQ(flag, start);
  }
}

TEST_F(SerialLine, BytesThatArrivedBeforeTheOpenAreDiscarded) {
  write_all(line.master(), "stale");
  ASSERT_EQ(open(seriell), kOpened);
  write_all(line.master(), "x");
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 'x');
  EXPECT_EQ(flag, 0);
}

TEST_F(SerialLine, APurgeOfTheInputAlsoDropsWhatWasReadAhead) {
  const comm::Handle handle = comm.CreateFile("COM1:");
  ASSERT_GT(handle, 0);
  comm::CommTimeouts timeouts;
  timeouts.ReadTotalTimeoutConstant = 1000;
  ASSERT_EQ(comm.SetCommTimeouts(handle, timeouts), 1);
  write_all(line.master(), "stale");
  std::uint8_t byte = 0;
  std::uint32_t bytes_read = 0;
  ASSERT_EQ(comm.ReadFile(handle, &byte, 1, bytes_read), 1);
  ASSERT_EQ(comm.bytes_at_hand(handle), 4u);

  ASSERT_EQ(comm.PurgeComm(handle, comm::kPurgeRxClear), 1);
  EXPECT_EQ(comm.bytes_at_hand(handle), 0u);
  write_all(line.master(), "x");
  ASSERT_EQ(comm.ReadFile(handle, &byte, 1, bytes_read), 1);
  EXPECT_EQ(bytes_read, 1u);
  EXPECT_EQ(byte, 'x');
  comm.CloseHandle(handle);
}

TEST_F(SerialLine, WithNoDataAReadEndsAfterTheTimeOut) {
  ASSERT_EQ(open(seriell, 1, kSettings, 200), kOpened);
  const auto start = Clock::now();
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_GE(since(start), milliseconds(150));
  EXPECT_LT(since(start), milliseconds(2900));
}

TEST_F(SerialLine, AWaitingReadReturnsTheByteWhenItArrives) {
  ASSERT_EQ(open(seriell), kOpened);
  std::thread sender([&] {
    std::this_thread::sleep_for(milliseconds(50));
    write_all(line.master(), "A");
  });
  const auto start = Clock::now();
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 'A');
  EXPECT_EQ(flag, 0);
  EXPECT_LT(since(start), milliseconds(2900));  // did not sit out the 3 s time-out
  sender.join();
}

// The facade's read on its own, with more than one byte asked for.
TEST_F(SerialLine, AReadTakesWhatArrivesUntilTheCountOrTheTotalTimeOut) {
  const comm::Handle handle = comm.CreateFile("COM1:");
  ASSERT_GT(handle, 0);
  comm::CommTimeouts timeouts;
  timeouts.ReadTotalTimeoutConstant = 100;
  timeouts.ReadTotalTimeoutMultiplier = 20;  // 100 + 5 * 20 ms for five bytes
  ASSERT_EQ(comm.SetCommTimeouts(handle, timeouts), 1);
  write_all(line.master(), "abcdefgh");

  std::uint8_t buffer[8] = {};
  std::uint32_t bytes_read = 0;
  ASSERT_EQ(comm.ReadFile(handle, buffer, 5, bytes_read), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), bytes_read), "abcde");

  const auto start = Clock::now();
  ASSERT_EQ(comm.ReadFile(handle, buffer, 5, bytes_read), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), bytes_read), "fgh");
  EXPECT_GE(since(start), milliseconds(150));

  // Interval "infinite" and no totals: whatever is there, at once.
  timeouts = {};
  timeouts.ReadIntervalTimeout = 0xFFFFFFFF;
  ASSERT_EQ(comm.SetCommTimeouts(handle, timeouts), 1);
  ASSERT_EQ(comm.ReadFile(handle, buffer, 5, bytes_read), 1);
  EXPECT_EQ(bytes_read, 0u);
  EXPECT_EQ(comm.CloseHandle(handle), 1);
  EXPECT_EQ(comm.CloseHandle(handle), 0);
  EXPECT_EQ(comm.ReadFile(handle, buffer, 1, bytes_read), 0);
}

TEST_F(SerialLine, AfterAHangUpReadsReturnAtOnce) {
  ASSERT_EQ(open(seriell), kOpened);  // 3 s time-out
  line.hang_up();
  const auto start = Clock::now();
  for (int i = 0; i < 5; ++i) {
    std::int16_t flag = 0;
    EXPECT_EQ(seriell.ReadComByte(flag), 0);
    EXPECT_EQ(flag, -1);
  }
  EXPECT_LT(since(start), milliseconds(2900));
  seriell.CloseComPort();
}

// The port reads ahead: a read takes the whole burst from the line. Bytes it holds are
// still handed out after the line hung up, and only then do reads come back empty.
TEST_F(SerialLine, BytesReadAheadBeforeAHangUpComeFirstThenTheEmptyReadAtOnce) {
  ASSERT_EQ(open(seriell), kOpened);  // 3 s time-out
  write_all(line.master(), "burst");
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 'b');
  EXPECT_TRUE(seriell.byte_at_hand());
  line.hang_up();

  const auto start = Clock::now();
  std::string rest;
  for (int i = 0; i < 4; ++i) {
    rest.push_back(static_cast<char>(seriell.ReadComByte(flag)));
    ASSERT_EQ(flag, 0) << "at byte " << i;
  }
  EXPECT_EQ(rest, "urst");
  EXPECT_FALSE(seriell.byte_at_hand());
  EXPECT_EQ(seriell.ReadComByte(flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_LT(since(start), milliseconds(2900));
}

// A burst is gathered for a moment before it is read; the read after it still waits the
// time-out from its own start, once.
TEST_F(SerialLine, AfterABurstAnEmptyReadEndsAtTheTimeOutNotLater) {
  ASSERT_EQ(open(seriell), kOpened);  // the capture's 3000 ms
  write_all(line.master(), "ab");
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 'a');
  EXPECT_EQ(seriell.ReadComByte(flag), 'b');
  ASSERT_EQ(flag, 0);

  const auto start = Clock::now();
  EXPECT_EQ(seriell.ReadComByte(flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_GE(since(start), milliseconds(3000));
  EXPECT_LT(since(start), milliseconds(4000));  // not a second time-out
}

TEST_F(SerialLine, WithoutAnOpenPortReadsReturnAtOnce) {
  const auto start = Clock::now();
  std::int16_t flag = 0;
  seriell.ReadComByte(flag);
  EXPECT_EQ(flag, -1);

  ASSERT_EQ(open(seriell), kOpened);  // 3 s time-out
  write_all(line.master(), "late");
  seriell.CloseComPort();
  seriell.CloseComPort();
  flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_LT(since(start), milliseconds(2900));
}

}  // namespace
}  // namespace schreiber::serial
