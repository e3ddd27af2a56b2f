#pragma once
// Fixed-width arithmetic that fails with "Overflow" instead of wrapping, for counters
// whose width is part of the program's behaviour.

#include <cstdint>
#include <limits>

#include "platform/failure.h"

namespace schreiber::platform {

template <typename Narrow, typename Wide>
Narrow narrow_or_overflow(Wide value) {
  if (value < static_cast<Wide>(std::numeric_limits<Narrow>::min()) ||
      value > static_cast<Wide>(std::numeric_limits<Narrow>::max())) {
    raise_overflow();
  }
  return static_cast<Narrow>(value);
}

// a + b in the width of T; an overflow is a failure.
template <typename T>
T checked_add(T a, T b) {
  return narrow_or_overflow<T>(static_cast<std::int64_t>(a) + static_cast<std::int64_t>(b));
}

inline std::int16_t add16(std::int16_t a, std::int16_t b) {
  return checked_add<std::int16_t>(a, b);
}
inline std::int32_t add32(std::int32_t a, std::int32_t b) {
  return checked_add<std::int32_t>(a, b);
}

}  // namespace schreiber::platform
