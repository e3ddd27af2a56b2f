#include "window/handler_guard.h"

#include <exception>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/program_end.h"

namespace schreiber::window {

HandlerGuard::Outcome HandlerGuard::run(const std::function<void()>& handler,
                                        convert::Display& display) {
  if (!handler || ended_ || running_) return {};
  running_ = true;
  try {
    handler();
  } catch (const platform::ProgramEnded& end) {
    ended_ = end.status;
  } catch (const std::exception& error) {
    running_ = false;
    display.MsgBox(platform::utf8_to_codepage(error.what()), convert::kCritical, "Error");
    ended_ = platform::kExitFailure;
  }
  running_ = false;
  return {true, ended_};
}

}  // namespace schreiber::window
