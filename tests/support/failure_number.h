#pragma once
// The failure an action ends with: the whole failure, or only its number (0 when the
// action succeeds).

#include <functional>

#include "platform/failure.h"

namespace schreiber::testing {

// The failure the action throws; a failure numbered 0, "no failure", when it succeeds.
inline platform::Failure failure_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Failure& failure) {
    return failure;
  }
  return platform::Failure(0, "no failure");
}

inline int failure_number_of(const std::function<void()>& action) {
  return failure_of(action).number();
}

}  // namespace schreiber::testing
