#pragma once
// "The program ends at once" goes through one injected function: production exits the
// process, tests record the status. Either way control never comes back to the caller.

#include <functional>

#include "platform/failure.h"

namespace schreiber::platform {

// How a run ended, as schreiber-cli reports it in its exit status.
enum ExitStatus : int {
  kExitNormal = 0,         // the road ended normally
  kExitPortNotOpened = 1,  // the port could not be opened
  kExitFailure = 2,        // a failure ended the program, after its message
  kExitTooShort = 3,       // the capture was too short; the window would be idle again
};

class ProgramEnd {
 public:
  using Function = std::function<void(int status)>;

  explicit ProgramEnd(Function end) : end_(std::move(end)) {}

  [[noreturn]] void operator()(int status) const {
    if (end_) end_(status);
    throw ProgramEnded{status};
  }

 private:
  Function end_;
};

}  // namespace schreiber::platform
