#pragma once
// The failure number an action ends with, or 0 when it succeeds.

#include <functional>

#include "platform/failure.h"

namespace schreiber::testing {

inline int failure_number_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Failure& failure) {
    return failure.number();
  }
  return 0;
}

}  // namespace schreiber::testing
