// The whole conversion of a generated capture into workbooks with the embedded engine:
// 200 blocks of 100 fields of 13 sub-fields (about 2 MB) into 200 workbooks.
//
//   export_bench [BLOCKS]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "automation/class_registry.h"
#include "convert/capture_parser.h"
#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "window/headless_view.h"
#include "xls/workbook.h"

namespace {

using namespace schreiber;

std::string generated_capture(int blocks) {
  std::string capture;
  for (int b = 0; b < blocks; ++b) {
    capture += "\x11\x01K\x02";
    capture += "Messung_" + std::to_string(b) +
               "\x03"
               "1\x03"
               "1\x03"
               "1\x03Kommentar\x03"
               "01.02.2031";
    for (int f = 1; f < 100; ++f) {
      capture += "\x01M\x02";
      for (int s = 0; s < 12; ++s) capture += std::to_string(100000 + f * 13 + s) + ".5\x03";
      capture += "end";
    }
    capture += "\x13\x2A";
  }
  capture += "\x14";
  return capture;
}

struct Outcome {
  double seconds = 0;
  long peak_kib = 0;
  int workbooks = 0;
};

Outcome convert_once(const std::filesystem::path& folder, int blocks) {
  const std::string capture = generated_capture(blocks);
  std::ofstream(folder / "Schreiber.txt", std::ios::binary) << capture;

  window::HeadlessView view(false);
  auto automation = automation::make_default_automation();
  platform::DiskFiles files;
  platform::SystemClock clock;
  const platform::Regional regional;
  convert::Module1 module1(
      {view, *automation, files, clock, regional, folder, platform::ProgramEnd(nullptr)});
  module1.MaxStxCount = convert::max_stx_count_of(capture);
  int exported = 0;
  module1.export_block = [&](const std::int16_t& b, const std::string& w, const std::string& t) {
    module1.ExportBlock(b, w, t);
    ++exported;
  };
  const auto start = std::chrono::steady_clock::now();
  try {
    module1.ConvertCaptureFile();
  } catch (const platform::ProgramEnded&) {
  }
  Outcome outcome;
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.workbooks = exported;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  outcome.peak_kib = usage.ru_maxrss;
  std::printf("capture %.2f MB, MaxStxCount %d\n", capture.size() / 1e6, module1.MaxStxCount);
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 200;
  const auto folder = std::filesystem::temp_directory_path() /
                      ("schreiber-export-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "FILES/Vor");
  std::filesystem::create_directories(folder / "Data");
  xls::Workbook::create_blank().save_as(folder / "FILES/Vor/1.xls");

  // In a child process, so that the peak memory is the conversion's alone.
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return 1;
  const pid_t child = ::fork();
  if (child == 0) {
    const Outcome outcome = convert_once(folder, blocks);
    std::fflush(stdout);
    if (::write(pipe_fds[1], &outcome, sizeof outcome) != sizeof outcome) ::_exit(1);
    ::_exit(0);
  }
  Outcome outcome;
  const bool got = ::read(pipe_fds[0], &outcome, sizeof outcome) == sizeof outcome;
  int status = 0;
  ::waitpid(child, &status, 0);
  std::filesystem::remove_all(folder);
  if (!got) return 1;
  std::printf("%d workbooks in %.3f s total, %.2f ms per workbook, peak memory %.1f MiB\n",
              outcome.workbooks, outcome.seconds, 1e3 * outcome.seconds / outcome.workbooks,
              outcome.peak_kib / 1024.0);
  return 0;
}
