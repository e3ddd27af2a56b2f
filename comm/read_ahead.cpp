#include "comm/read_ahead.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace schreiber::comm {

std::uint32_t ReadAhead::take(std::uint8_t* out, std::uint32_t count) {
  const std::size_t n = std::min<std::size_t>(count, end_ - begin_);
  if (n == 1) {
    *out = bytes_[begin_];  // the usual case: one byte for one ReadFile
  } else if (n > 0) {
    std::memcpy(out, bytes_.data() + begin_, n);
  }
  begin_ += n;
  return static_cast<std::uint32_t>(n);
}

ssize_t ReadAhead::fill(int fd) {
  begin_ = 0;
  end_ = 0;
  const ssize_t n = ::read(fd, bytes_.data(), bytes_.size());
  if (n > 0) end_ = static_cast<std::size_t>(n);
  if (n >= static_cast<ssize_t>(bytes_.size() / 4)) {
    last_fill_ = LastFill::kPlenty;
  } else {
    last_fill_ = n > 0 ? LastFill::kSome : LastFill::kNothing;
  }
  return n;
}

void ReadAhead::clear() {
  begin_ = 0;
  end_ = 0;
  last_fill_ = LastFill::kNothing;
}

}  // namespace schreiber::comm
