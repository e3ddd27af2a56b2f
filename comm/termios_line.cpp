#include "comm/termios_line.h"

#include <array>
#include <utility>

namespace schreiber::comm {

namespace {

// Mark and space parity ("stick" parity) and hardware handshake are not in POSIX; where
// the platform lacks them the flag is 0: mark/space is then refused, and there is no
// hardware handshake to switch off.
#ifdef CMSPAR
constexpr tcflag_t kStickParity = CMSPAR;
#else
constexpr tcflag_t kStickParity = 0;
#endif
#ifdef CRTSCTS
constexpr tcflag_t kHardwareHandshake = CRTSCTS;
#else
constexpr tcflag_t kHardwareHandshake = 0;
#endif

constexpr std::pair<std::uint32_t, speed_t> kRates[] = {
    {50, B50},           {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},         {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},       {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600},     {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
#ifdef B3500000
    {3500000, B3500000},
#endif
#ifdef B4000000
    {4000000, B4000000},
#endif
};

constexpr std::array<std::pair<std::uint8_t, tcflag_t>, 4> kByteSizes{{
    {5, CS5},
    {6, CS6},
    {7, CS7},
    {8, CS8},
}};

}  // namespace

std::optional<speed_t> speed_for_baud(std::uint32_t baud) {
  for (const auto& [rate, speed] : kRates) {
    if (rate == baud) return speed;
  }
  return std::nullopt;
}

std::uint32_t baud_for_speed(speed_t speed) {
  for (const auto& [rate, known] : kRates) {
    if (known == speed) return rate;
  }
  return 0;
}

Dcb dcb_from_termios(const termios& line) {
  Dcb dcb;
  dcb.baud_rate = baud_for_speed(cfgetospeed(&line));
  for (const auto& [bits, flag] : kByteSizes) {
    if ((line.c_cflag & CSIZE) == flag) dcb.byte_size = bits;
  }
  if ((line.c_cflag & PARENB) == 0) {
    dcb.parity = Parity::kNone;
  } else if (kStickParity != 0 && (line.c_cflag & kStickParity) != 0) {
    dcb.parity = (line.c_cflag & PARODD) != 0 ? Parity::kMark : Parity::kSpace;
  } else {
    dcb.parity = (line.c_cflag & PARODD) != 0 ? Parity::kOdd : Parity::kEven;
  }
  // With five data bits the second stop bit of the hardware is one and a half bits long.
  if ((line.c_cflag & CSTOPB) == 0) {
    dcb.stop_bits = StopBits::kOne;
  } else {
    dcb.stop_bits = dcb.byte_size == 5 ? StopBits::kOnePointFive : StopBits::kTwo;
  }
  return dcb;
}

bool apply_dcb_to_termios(const Dcb& dcb, termios& line) {
  const auto speed = speed_for_baud(dcb.baud_rate);
  if (!speed) return false;

  std::optional<tcflag_t> size_flag;  // CS5 is 0
  for (const auto& [bits, flag] : kByteSizes) {
    if (bits == dcb.byte_size) size_flag = flag;
  }
  if (!size_flag) return false;

  tcflag_t parity_flags = 0;
  switch (dcb.parity) {
    case Parity::kNone:
      break;
    case Parity::kEven:
      parity_flags = PARENB;
      break;
    case Parity::kOdd:
      parity_flags = PARENB | PARODD;
      break;
    case Parity::kMark:
      if (kStickParity == 0) return false;
      parity_flags = PARENB | PARODD | kStickParity;
      break;
    case Parity::kSpace:
      if (kStickParity == 0) return false;
      parity_flags = PARENB | kStickParity;
      break;
  }

  tcflag_t stop_flag = 0;
  switch (dcb.stop_bits) {
    case StopBits::kOne:
      break;
    case StopBits::kOnePointFive:
      if (dcb.byte_size != 5) return false;
      stop_flag = CSTOPB;
      break;
    case StopBits::kTwo:
      if (dcb.byte_size == 5) return false;
      stop_flag = CSTOPB;
      break;
  }

  termios result = line;
  // Raw input: no break or parity marking, no stripping, no CR/NL translation and no
  // software flow control, so DC1 and DC3 arrive as data.
  result.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                           ICRNL | IXON | IXOFF | IXANY | INPCK);
  result.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  result.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  result.c_cflag &=
      ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | kStickParity | kHardwareHandshake);
  result.c_cflag |= *size_flag | parity_flags | stop_flag | CREAD | CLOCAL;
  result.c_cc[VMIN] = 1;
  result.c_cc[VTIME] = 0;
  if (cfsetispeed(&result, *speed) != 0 || cfsetospeed(&result, *speed) != 0) return false;
  line = result;
  return true;
}

}  // namespace schreiber::comm
