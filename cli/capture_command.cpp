// schreiber-cli capture: the window's road without a window.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/program.h"
#include "cli/arguments.h"
#include "cli/command_registry.h"
#include "cli/message_printer.h"
#include "cli/open_failure.h"
#include "convert/module1.h"
#include "platform/codepage.h"
#include "window/headless_view.h"

namespace schreiber::cli {
namespace {

constexpr const char* kUsage =
    "usage: schreiber-cli capture [--folder DIR] [--port N] [--trace]\n"
    "Restores the port choice, picks COM N first if given (stored in PORT.ini as a pick\n"
    "in the window would), then presses start: receives into DIR/Schreiber.txt and\n"
    "converts. DIR defaults to the program's folder.\n"
    "  --trace   print every window operation, one per line, instead of the progress line\n"
    "exit status: 0 done, 1 port not opened, 2 a failure ended the run, 3 too short\n";

// The live line: phase, bytes, STX count and the silence dots, redrawn at most every
// 100 ms so that printing never slows the capture down. When standard error is not a
// terminal, a line is written only when the phase changes.
class ProgressLine {
 public:
  ProgressLine(const window::HeadlessView& view, const window::Form2& form)
      : view_(view), form_(form), terminal_(::isatty(STDERR_FILENO) == 1) {}

  void update(bool force = false) {
    const auto now = std::chrono::steady_clock::now();
    const auto& state = view_.state();
    const std::string phase = state.label3_visible || state.label3_caption == "DATA-->EXCEL"
                                  ? platform::codepage_to_utf8(state.label3_caption)
                                  : "waiting";
    const bool new_phase = phase != phase_;
    if (!force && !new_phase && (!terminal_ || now - last_ < std::chrono::milliseconds(100))) {
      return;
    }
    last_ = now;
    if (new_phase && shown_ && !terminal_) std::fputc('\n', stderr);
    phase_ = phase;
    std::fprintf(
        stderr, "%s%-12s bytes %-10d STX %-8d %-24s", terminal_ ? "\r" : "", phase.c_str(),
        form_.ByteCount, form_.StxCount,
        state.label4_visible ? platform::codepage_to_utf8(state.label4_caption).c_str() : "");
    shown_ = true;
  }

  void finish() {
    if (!shown_) return;
    if (terminal_) update(true);
    std::fputc('\n', stderr);
    shown_ = false;
  }

 private:
  const window::HeadlessView& view_;
  const window::Form2& form_;
  const bool terminal_;
  std::chrono::steady_clock::time_point last_{};
  std::string phase_;
  bool shown_ = false;
};

int run(const std::vector<std::string>& raw) {
  std::filesystem::path folder;
  std::optional<int> port;
  bool trace = false;
  try {
    const Arguments args(raw, {"--trace", "--help"}, {"--folder", "--port"});
    if (args.has("--help")) {
      std::cout << kUsage;
      return 0;
    }
    expect_no_words(args);
    folder = folder_argument(args);
    if (auto p = args.value("--port")) port = static_cast<int>(parse_integer(*p, 1, 9, "--port"));
    trace = args.has("--trace");
  } catch (const UsageError& error) {
    std::cerr << "schreiber-cli capture: " << error.what() << '\n';
    return 64;
  }

  window::HeadlessView view(false);
  std::optional<int> ended;
  app::Program program(view, {folder, [&](int status) { ended = status; }});
  window::Form2& form = program.form();
  ProgressLine progress(view, form);
  std::size_t printed = 0;
  // A message box is shown as it comes, as a block on standard error.
  const auto print_new_messages = [&] {
    for (; printed < view.messages().size(); ++printed) {
      progress.finish();
      print_message(view.messages()[printed].prompt, view.messages()[printed].title);
    }
  };
  view.on_combo1_click = [&] { form.Combo1_Click(); };
  view.on_operation = [&](const std::string& operation) {
    print_new_messages();
    if (trace) {
      std::cout << operation << '\n';
    } else {
      progress.update();
    }
  };

  const auto capture_file = folder / convert::kCaptureFileName;
  int status = platform::kExitTooShort;
  try {
    form.Form_Load();
    if (port) view.pick(static_cast<std::int16_t>(*port - 1));
    form.Command1_Click();
    // Back in the idle look: the port failed, the capture file failed, or too little came.
    switch (form.last_capture_end()) {
      case window::CaptureEnd::kPortNotOpened:
        status = platform::kExitPortNotOpened;
        break;
      case window::CaptureEnd::kCaptureFileFailed:
        status = platform::kExitFailure;
        break;
      case window::CaptureEnd::kNone:
      case window::CaptureEnd::kTooShort:
        break;
    }
  } catch (const platform::ProgramEnded& end) {
    status = end.status;
  }
  progress.finish();
  print_new_messages();
  if (status == platform::kExitPortNotOpened) {
    // After the window's message: the device the port leads to and why it did not open.
    if (const auto why = explain_open_failure(folder, view.state().combo1_list_index + 1)) {
      std::cerr << *why << '\n';
    }
  }
  if (std::filesystem::exists(capture_file) && status != platform::kExitPortNotOpened) {
    std::cerr << "capture file: " << capture_file.string() << " ("
              << std::filesystem::file_size(capture_file) << " bytes)\n";
  }
  if (status == platform::kExitTooShort) std::cerr << "too little data: nothing converted\n";
  return status;
}

const bool registered =
    register_command({"capture", "receive from the instrument and convert", run});

}  // namespace
}  // namespace schreiber::cli
