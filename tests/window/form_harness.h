#pragma once
// One Form2 with everything it works with, in a temporary program folder: the headless
// view, the serial module over a given facade, the real file system, a fixed clock, and
// an end function that records the status.

#include <memory>
#include <optional>

#include "automation/class_registry.h"
#include "comm/posix_comm.h"
#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "serial/seriell.h"
#include "support/temp_folder.h"
#include "window/form2.h"
#include "window/headless_view.h"

namespace schreiber::testing {

struct FormHarness {
  explicit FormHarness(comm::Comm& comm, platform::Regional regional = {},
                       std::int32_t read_timeout_ms = window::kReadTimeoutMs)
      : FormHarness(nullptr, &comm, regional, read_timeout_ms) {}

  using CommMaker = std::unique_ptr<comm::Comm> (*)(const std::filesystem::path& folder);

  // With the platform's serial calls, finding ports under the harness's own folder.
  explicit FormHarness(std::int32_t read_timeout_ms)
      : FormHarness(
            [](const std::filesystem::path& program_folder) -> std::unique_ptr<comm::Comm> {
              return std::make_unique<comm::PosixComm>(program_folder / "ports");
            },
            nullptr, {}, read_timeout_ms) {}

 private:
  FormHarness(CommMaker make_comm, comm::Comm* external, platform::Regional regional,
              std::int32_t read_timeout_ms)
      : owned_comm(make_comm ? make_comm(folder.path()) : nullptr),
        seriell(owned_comm ? *owned_comm : *external),
        clock(platform::DateTime{2031, 3, 7, 14, 5, 0}),
        module1(convert::Module1Context{view, automation, files, clock, regional, folder.path(),
                                        platform::ProgramEnd([this](int s) { ended = s; })}),
        form(window::Form2Context{view, seriell, module1, files, regional, folder.path(),
                                  platform::ProgramEnd([this](int s) { ended = s; }),
                                  read_timeout_ms}) {
    view.on_combo1_click = [this] { form.Combo1_Click(); };
  }

 public:
  // Presses the start button; true when the program ended (a ProgramEnded unwound).
  bool click() {
    try {
      form.Command1_Click();
      return false;
    } catch (const platform::ProgramEnded&) {
      return true;
    }
  }

  TempFolder folder;
  std::unique_ptr<comm::Comm> owned_comm;
  window::HeadlessView view;
  serial::Seriell seriell;
  platform::DiskFiles files;
  platform::FixedClock clock;
  automation::ClassRegistry automation;
  convert::Module1 module1;
  window::Form2 form;
  std::optional<int> ended;
};

}  // namespace schreiber::testing
