#pragma once
// One pseudo-terminal that plays the instrument's end of a serial cable. The master side
// is ours; a program under test opens the slave side as its port. The line starts raw
// (no echo, no translation, no flow control) at 38400 baud, so that every byte value
// passes unchanged even before the receiving side configures it.

#include <termios.h>

#include <cstddef>
#include <filesystem>

namespace schreiber::sim {

class PseudoTerminal {
 public:
  PseudoTerminal();  // throws std::system_error
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // The device the receiving side opens, e.g. /dev/pts/3.
  const std::filesystem::path& slave_path() const { return slave_path_; }
  // Non-blocking; -1 once hung up.
  int master() const { return master_; }

  // Bytes written to the line that the receiving side has not read yet, those still on
  // their way into the line's input queue included.
  std::size_t unread() const;

  // True when the receiving side has set the line to `speed`, 8 data bits, no parity,
  // one stop bit, raw, without flow control.
  bool configured_for(speed_t speed) const;

  // Pulls the cable: closes both of our ends, so the receiving side sees a hang-up.
  // Bytes it has not read by then are lost.
  void hang_up();
  bool hung_up() const { return master_ < 0; }

 private:
  int master_ = -1;
  // Held open so that the input queue can be measured and the line stays up while the
  // receiving side closes and reopens its port.
  int slave_ = -1;
  std::filesystem::path slave_path_;
};

// Points the symlink `link` at `target`, replacing a symlink that is there already.
// Throws std::runtime_error when something other than a symlink is in the way.
void point_link(const std::filesystem::path& link, const std::filesystem::path& target);

// Removes `link` if it is still a symlink to `target`; never throws.
void remove_link_to(const std::filesystem::path& link, const std::filesystem::path& target);

}  // namespace schreiber::sim
