#pragma once
// How a real window runs the logic's handlers. The program's work runs inside a handler
// and lets the event loop run only for what is not input (View::keep_alive), so one
// handler at a time; an end of the program unwinds out of it as ProgramEnded, and no
// exception may pass on into the toolkit's event dispatch.

#include <functional>
#include <optional>

#include "convert/display.h"

namespace schreiber::window {

class HandlerGuard {
 public:
  struct Outcome {
    bool ran = false;
    std::optional<int> ended;  // the program's end status, when the handler ended it
  };

  // Runs the handler unless another one is running or the program has ended. An
  // exception that no handler expected is shown in a message box and ends the program.
  Outcome run(const std::function<void()>& handler, convert::Display& display);

  bool running() const { return running_; }
  const std::optional<int>& ended() const { return ended_; }

 private:
  bool running_ = false;
  std::optional<int> ended_;
};

}  // namespace schreiber::window
