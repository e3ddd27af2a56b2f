#pragma once
// The whole program put together for one view: the platform's serial line under the
// serial module, the real file system and clock, the automation backends of this build,
// the conversion and the window logic. The desktop program and schreiber-cli both
// start from here.

#include <filesystem>
#include <memory>

#include "automation/automation.h"
#include "comm/comm.h"
#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/program_end.h"
#include "serial/seriell.h"
#include "window/form2.h"
#include "window/view.h"

namespace schreiber::app {

struct ProgramOptions {
  std::filesystem::path folder;  // the program's folder
  platform::ProgramEnd::Function end_program;
  std::int32_t read_timeout_ms = window::kReadTimeoutMs;
  // The clock of the time stamps; the system's when not given (tests fix it).
  const platform::Clock* clock = nullptr;
};

class Program {
 public:
  Program(window::View& view, ProgramOptions options);

  window::Form2& form() { return form_; }
  convert::Module1& module1() { return module1_; }

 private:
  std::unique_ptr<comm::Comm> comm_;
  serial::Seriell seriell_;
  platform::DiskFiles files_;
  platform::SystemClock system_clock_;
  // One clock for the conversion's time stamps and the spreadsheet's "this year".
  const platform::Clock& clock_;
  std::unique_ptr<automation::Automation> automation_;
  convert::Module1 module1_;
  window::Form2 form_;
};

}  // namespace schreiber::app
