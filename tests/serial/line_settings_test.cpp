// Settings texts and their way onto a termios line. The texts go through the facade's
// BuildCommDCB, which judges them; the termios side is checked without a terminal.

#include <gtest/gtest.h>
#include <termios.h>

#include <optional>
#include <string>
#include <vector>

#include "comm/posix_comm.h"
#include "comm/termios_line.h"

namespace schreiber::comm {
namespace {

using P = Parity;
using S = StopBits;

// What the port had before the text was applied; keys the text leaves out keep it.
Dcb port_state() {
  Dcb dcb;
  dcb.baud_rate = 38400;
  dcb.byte_size = 7;
  dcb.parity = P::kOdd;
  dcb.stop_bits = S::kTwo;
  return dcb;
}

struct Accepted {
  std::string text;
  std::uint32_t baud;
  std::uint8_t data;
  Parity parity;
  StopBits stop;
};

TEST(BuildCommDCB, AcceptsWhatThePortCanDo) {
  const std::vector<Accepted> table = {
      {"baud=57600 parity=N data=8 stop=1", 57600, 8, P::kNone, S::kOne},
      {"BAUD=9600 PARITY=e DATA=7 STOP=2", 9600, 7, P::kEven, S::kTwo},
      {"  baud=115200\tparity=o  ", 115200, 7, P::kOdd, S::kTwo},
      {"parity=M", 38400, 7, P::kMark, S::kTwo},
      {"parity=s data=6 stop=1", 38400, 6, P::kSpace, S::kOne},
      {"data=5 stop=1.5", 38400, 5, P::kOdd, S::kOnePointFive},
      // The mode command's short forms of the classic rates.
      {"baud=96", 9600, 7, P::kOdd, S::kTwo},
      {"baud=11", 110, 7, P::kOdd, S::kTwo},
      {"baud=1200 baud=2400", 2400, 7, P::kOdd, S::kTwo},
      // Handshake keys are fine as long as they ask for what the port does anyway.
      {"baud=57600 xon=off odsr=off octs=off idsr=off dtr=on rts=on", 57600, 7, P::kOdd, S::kTwo},
  };
  PosixComm comm("/nonexistent");
  for (const auto& row : table) {
    SCOPED_TRACE(row.text);
    Dcb dcb = port_state();
    ASSERT_EQ(comm.BuildCommDCB(row.text, dcb), 1);
    EXPECT_EQ(dcb.baud_rate, row.baud);
    EXPECT_EQ(dcb.byte_size, row.data);
    EXPECT_EQ(dcb.parity, row.parity);
    EXPECT_EQ(dcb.stop_bits, row.stop);
  }
}

TEST(BuildCommDCB, RejectsWhatItCannotApplyAndLeavesTheRecordAlone) {
  const std::vector<std::string> groups[] = {
      // Not pairs of known keys and values in the syntax.
      {"", "baud", "=57600", "baud=", "speed=57600", "57600,n,8,1", "data=8 bogus"},
      // Rates that do not parse, or that termios has no speed for.
      {"baud=abc", "baud=0", "baud=-9600", "baud=57600x", "baud=12345", "baud=99999999999"},
      // Values out of range, and stop bits that do not go with the data bits.
      {"parity=x", "parity=none", "data=4", "data=9", "stop=3", "stop=1,5"},
      {"data=8 stop=1.5", "data=5 stop=2"},
      // Handshakes a raw line without flow control cannot do.
      {"xon=on", "rts=hs", "dtr=off"},
  };
  PosixComm comm("/nonexistent");
  for (const auto& group : groups) {
    for (const auto& text : group) {
      SCOPED_TRACE(text);
      Dcb dcb = port_state();
      EXPECT_EQ(comm.BuildCommDCB(text, dcb), 0);
      EXPECT_EQ(dcb.baud_rate, 38400u);
      EXPECT_EQ(dcb.byte_size, 7);
      EXPECT_EQ(dcb.parity, P::kOdd);
    }
  }
}

// A line as a terminal starts: canonical, echoing, translating, with flow control.
termios cooked_line() {
  termios line{};
  line.c_iflag = ICRNL | IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | BRKINT | INPCK;
  line.c_oflag = OPOST | ONLCR;
  line.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
  line.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS;
  cfsetispeed(&line, B9600);
  cfsetospeed(&line, B9600);
  return line;
}

// Each record's framing as the driver gets it (data bits in CSIZE, PARENB, PARODD, CMSPAR
// for mark and space, CSTOPB), the line made raw, and read back as the same record.
TEST(TermiosLine, ApplyingARecordSetsItsFramingBitsAndMakesTheLineRaw) {
  struct Row {
    Dcb dcb;
    speed_t speed;
    tcflag_t framing;
  };
  const Row table[] = {
      {{57600, 8, P::kNone, S::kOne}, B57600, CS8},
      {{19200, 7, P::kNone, S::kOne}, B19200, CS7},
      {{4800, 6, P::kNone, S::kOne}, B4800, CS6},
      {{2400, 5, P::kNone, S::kOne}, B2400, CS5},
      {{9600, 7, P::kEven, S::kTwo}, B9600, CS7 | PARENB | CSTOPB},
      {{600, 6, P::kOdd, S::kOne}, B600, CS6 | PARENB | PARODD},
      {{300, 5, P::kOdd, S::kOnePointFive}, B300, CS5 | PARENB | PARODD | CSTOPB},
      {{115200, 8, P::kMark, S::kOne}, B115200, CS8 | PARENB | PARODD | CMSPAR},
      {{1200, 6, P::kSpace, S::kTwo}, B1200, CS6 | PARENB | CMSPAR | CSTOPB},
      {{38400, 8, P::kEven, S::kTwo}, B38400, CS8 | PARENB | CSTOPB},
  };
  for (const Row& row : table) {
    const Dcb& dcb = row.dcb;
    SCOPED_TRACE(::testing::Message() << dcb.baud_rate << " " << int{dcb.byte_size});
    termios line = cooked_line();
    ASSERT_TRUE(apply_dcb_to_termios(dcb, line));
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), row.framing);
    EXPECT_EQ(cfgetispeed(&line), row.speed);
    EXPECT_EQ(cfgetospeed(&line), row.speed);
    EXPECT_EQ(line.c_iflag & (ICRNL | IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | BRKINT), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(line.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(line.c_cc[VMIN], 1);

    const Dcb back = dcb_from_termios(line);
    EXPECT_EQ(back.baud_rate, dcb.baud_rate);
    EXPECT_EQ(back.byte_size, dcb.byte_size);
    EXPECT_EQ(back.parity, dcb.parity);
    EXPECT_EQ(back.stop_bits, dcb.stop_bits);
  }
  // Framings the hardware has no bits for leave the line as it was.
  for (const Dcb& dcb : {Dcb{9600, 5, P::kNone, S::kTwo}, Dcb{9600, 8, P::kNone, S::kOnePointFive},
                         Dcb{9600, 4, P::kNone, S::kOne}, Dcb{12345, 8, P::kNone, S::kOne}}) {
    termios line = cooked_line();
    EXPECT_FALSE(apply_dcb_to_termios(dcb, line));
    EXPECT_EQ(line.c_cflag, cooked_line().c_cflag);
  }
}

}  // namespace
}  // namespace schreiber::comm
