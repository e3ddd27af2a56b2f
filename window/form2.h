#pragma once
// Form2, the program's only window, as logic: the port choice kept in "PORT.ini", the
// capture behind the start button, and the close. It runs against any View.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "convert/module1.h"
#include "platform/files.h"
#include "platform/program_end.h"
#include "platform/regional.h"
#include "serial/seriell.h"
#include "window/view.h"

namespace schreiber::window {

// The instrument's line and the capture's limits.
inline constexpr const char* kLineSettings = "baud=57600 parity=N data=8 stop=1";
inline constexpr std::int32_t kQueueSize = 10240;
inline constexpr std::int32_t kReadTimeoutMs = 3000;
inline constexpr std::int32_t kWriteTimeoutMs = 1000;
inline constexpr std::int16_t kSilenceLimit = 5;
inline constexpr std::int32_t kMinimumBytesAfterSilence = 20;
inline constexpr const char* kPortFileName = "PORT.ini";

struct Form2Context {
  View& view;
  serial::Seriell& seriell;
  convert::Module1& module1;
  platform::Files& files;
  platform::Regional regional;
  std::filesystem::path folder;  // the program's folder
  platform::ProgramEnd end_program;
  // The read time-out handed to the port; only tests shorten it.
  std::int32_t read_timeout_ms = kReadTimeoutMs;
};

// How a capture ended when it left the window open (a hand-off ends the program).
enum class CaptureEnd {
  kNone,               // no capture yet
  kPortNotOpened,      // the open failed; its code was shown
  kCaptureFileFailed,  // the capture file could not be created or written; shown
  kTooShort,           // silence with too few bytes to convert
};

class Form2 {
 public:
  explicit Form2(Form2Context context) : c_(std::move(context)) {}

  void Form_Load();
  void Combo1_Click();
  void Command1_Click();
  [[noreturn]] void Form_Unload();

  std::int16_t Loading = 0;  // True (-1) while Form_Load runs
  std::int32_t StxCount = 0;
  std::int32_t ByteCount = 0;

  // How the last capture ended, for a caller that reports it (schreiber-cli).
  CaptureEnd last_capture_end() const { return last_capture_end_; }

 private:
  // The receiving part of the capture; true when it ended with a hand-off due.
  bool receive(platform::RecordFile& capture);
  void show_idle_after_capture();
  [[noreturn]] void hand_off();

  std::filesystem::path port_file() const { return c_.folder / kPortFileName; }
  std::filesystem::path capture_file() const { return c_.folder / convert::kCaptureFileName; }

  Form2Context c_;
  CaptureEnd last_capture_end_ = CaptureEnd::kNone;
};

}  // namespace schreiber::window
