// Capture throughput over a pseudo-terminal, and the processor time the capture spends
// while receiving at the instrument's line rate.
//
//   capture_bench [MEGABYTES_UNPACED] [SECONDS_AT_LINE_RATE]

#include <sys/resource.h>
#include <sys/time.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "app/program.h"
#include "sim/simulator.h"
#include "window/headless_view.h"

namespace {

using namespace schreiber;
using Clock = std::chrono::steady_clock;

double thread_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Measurement bytes without any of the framing bytes, then DC4.
std::string recording(std::size_t size) {
  std::mt19937 random(42);
  std::string bytes(size, '\0');
  for (auto& b : bytes) {
    do {
      b = static_cast<char>(random() & 0xFF);
    } while (b == 0x02 || b == 0x11 || b == 0x13 || b == 0x14);
  }
  bytes.back() = 0x14;
  return bytes;
}

struct Result {
  double seconds = 0;
  double cpu_seconds = 0;
  std::size_t bytes = 0;
};

// Plays the bytes into a capture and times it up to the hand-off to the conversion.
Result capture(const std::string& bytes, int baud) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("schreiber-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "ports");
  sim::Options options;
  options.link = folder / "ports/COM1";
  options.bytes = bytes;
  options.baud = baud;
  options.start_when_configured = true;
  sim::Simulator simulator(std::move(options));
  window::HeadlessView view(false);
  app::Program program(view, {folder, [](int) {}});
  Result result;
  Clock::time_point first_byte{};
  Clock::time_point hand_off{};
  double cpu_at_first = 0;
  double cpu_at_hand_off = 0;
  view.on_operation = [&](const std::string& operation) {
    if (operation == "Label4.Caption = \">>>\"" && first_byte == Clock::time_point{}) {
      first_byte = Clock::now();
      cpu_at_first = thread_cpu_seconds();
    } else if (operation == "Label3.Caption = \"DATA-->EXCEL\"") {
      hand_off = Clock::now();
      cpu_at_hand_off = thread_cpu_seconds();
    }
  };
  view.pick(0);
  simulator.start();
  try {
    program.form().Command1_Click();
  } catch (const platform::ProgramEnded&) {
  }
  result.seconds = std::chrono::duration<double>(hand_off - first_byte).count();
  result.cpu_seconds = cpu_at_hand_off - cpu_at_first;
  result.bytes = std::filesystem::file_size(folder / "Schreiber.txt");
  simulator.stop();
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 4.0;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;

  const auto fast = capture(recording(static_cast<std::size_t>(megabytes * 1e6)), 0);
  std::printf("unpaced: %zu bytes in %.3f s = %.0f kB/s (%.1f times the 57600-baud line rate)\n",
              fast.bytes, fast.seconds, fast.bytes / fast.seconds / 1e3,
              fast.bytes / fast.seconds / 5760.0);

  const auto paced = capture(recording(static_cast<std::size_t>(seconds * 5760)), 57600);
  std::printf(
      "at 57600 baud: %zu bytes in %.2f s, capture thread used %.3f s of processor time = "
      "%.2f %% of one core, %.2f us per byte\n",
      paced.bytes, paced.seconds, paced.cpu_seconds, 100.0 * paced.cpu_seconds / paced.seconds,
      1e6 * paced.cpu_seconds / static_cast<double>(paced.bytes));
  return 0;
}
