#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace schreiber::sim {

namespace {

#ifdef CRTSCTS
constexpr tcflag_t kHardwareHandshake = CRTSCTS;
#else
constexpr tcflag_t kHardwareHandshake = 0;
#endif

[[noreturn]] void throw_errno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) throw_errno("posix_openpt");
  try {
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) throw_errno("unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) throw_errno("ptsname");
    slave_path_ = name;
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 ||
        ::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
      throw_errno("fcntl");
    }
    // The line's settings live with the slave side; set through the master they hold from
    // the start.
    termios line{};
    if (::tcgetattr(master_, &line) != 0) throw_errno("tcgetattr");
    ::cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&line, B38400);
    ::cfsetospeed(&line, B38400);
    if (::tcsetattr(master_, TCSANOW, &line) != 0) throw_errno("tcsetattr");
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) throw_errno("open slave");
  } catch (...) {
    ::close(master_);
    throw;
  }
}

PseudoTerminal::~PseudoTerminal() {
  hang_up();
}

std::size_t PseudoTerminal::unread() const {
  if (slave_ < 0) return 0;
  // Bytes written to the master reach the slave's input queue through a kernel worker; a
  // poll of the slave waits for that hand-over, so that the count below includes bytes
  // still on their way (on a busy machine the worker can lag for tens of milliseconds).
  pollfd hand_over{slave_, POLLIN, 0};
  ::poll(&hand_over, 1, 0);
  int count = 0;
  if (::ioctl(slave_, TIOCINQ, &count) != 0 || count < 0) return 0;
  return static_cast<std::size_t>(count);
}

bool PseudoTerminal::configured_for(speed_t speed) const {
  termios line{};
  if (master_ < 0 || ::tcgetattr(master_, &line) != 0) return false;
  const bool framing = (line.c_cflag & CSIZE) == CS8 && (line.c_cflag & (PARENB | CSTOPB)) == 0;
  const bool raw = (line.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (line.c_oflag & OPOST) == 0 &&
                   (line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP)) == 0;
  const bool no_handshake = (line.c_cflag & kHardwareHandshake) == 0;
  return cfgetospeed(&line) == speed && framing && raw && no_handshake;
}

void PseudoTerminal::hang_up() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = -1;
  master_ = -1;
}

void point_link(const std::filesystem::path& link, const std::filesystem::path& target) {
  namespace fs = std::filesystem;
  std::error_code error;
  const auto status = fs::symlink_status(link, error);
  if (status.type() != fs::file_type::not_found && status.type() != fs::file_type::symlink) {
    throw std::runtime_error(link.string() + " exists and is not a symlink");
  }
  // A new link under a temporary name, renamed over the old one: the port never vanishes.
  fs::path temporary = link;
  static std::atomic<unsigned> serial{0};
  temporary += ".new-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  fs::remove(temporary, error);
  fs::create_symlink(target, temporary, error);
  if (!error) fs::rename(temporary, link, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw std::runtime_error("cannot make the link " + link.string() + ": " + error.message());
  }
}

void remove_link_to(const std::filesystem::path& link, const std::filesystem::path& target) {
  std::error_code error;
  if (std::filesystem::is_symlink(link, error) &&
      std::filesystem::read_symlink(link, error) == target && !error) {
    std::filesystem::remove(link, error);
  }
}

}  // namespace schreiber::sim
