#pragma once
// The bytes a port has taken from the system but not yet handed to a reader. One read()
// takes everything the terminal holds; the one-byte reads that follow are served from
// here without a system call.

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace schreiber::comm {

class ReadAhead {
 public:
  // A terminal's input queue holds at most 4096 bytes, so one read never takes more.
  static constexpr std::size_t kCapacity = 4096;

  std::uint32_t size() const { return static_cast<std::uint32_t>(end_ - begin_); }

  // Moves up to `count` bytes, oldest first, to `out`; returns how many.
  std::uint32_t take(std::uint8_t* out, std::uint32_t count);

  // One read() of the descriptor into the empty buffer; returns read()'s result (errno
  // tells why when it is negative).
  ssize_t fill(int fd);

  // What the last fill found: nothing (the line is quiet: wait for it before the next
  // fill), some bytes (a burst is running: more come while the reader works), or plenty,
  // a quarter of the buffer or more (bytes come faster than they are taken: the terminal
  // holds more already, fill again at once).
  enum class LastFill : std::uint8_t { kNothing, kSome, kPlenty };
  LastFill last_fill() const { return last_fill_; }

  // Drops what is buffered (a purge of the input).
  void clear();

 private:
  std::array<std::uint8_t, kCapacity> bytes_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  LastFill last_fill_ = LastFill::kNothing;
};

}  // namespace schreiber::comm
