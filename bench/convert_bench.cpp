// The conversion of a large download: a generated capture of about 10 MB (2000 blocks of
// 50 fields of about 100 bytes) read from disk, split into BlockTable and its headers
// decoded, with the export replaced by a counter. Reports the throughput and the peak
// memory of one conversion, measured in a fresh process.
//
//   convert_bench                          the benchmarks
//   convert_bench --peak-memory FOLDER MAX_STX_COUNT
//                                          (internal) one conversion, prints its peak in KiB

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "automation/automation.h"
#include "convert/block_table.h"
#include "convert/capture_parser.h"
#include "convert/display.h"
#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/program_end.h"

namespace {

using namespace schreiber;

constexpr int kBlocks = 2000;
constexpr int kFieldsPerBlock = 50;
constexpr std::size_t kFieldSize = 100;

// One block: DC1, a header field, 49 data fields of sub-fields, DC3 and its byte.
void append_block(std::string& capture, int block) {
  const auto field = [&](std::string_view label, std::string_view content) {
    capture += '\x01';
    capture += label;
    capture += '\x02';
    capture += content;
    capture.append(kFieldSize - label.size() - content.size() - 2, '0');
  };
  capture += '\x11';
  std::string header = "Messung ";
  header += std::to_string(block);
  header +=
      "\x03Vorlage\x03"
      "1\x03"
      "1\x03"
      "Kommentar zur Messung\x03"
      "07.03.2031\x03";
  field("H", header);
  for (int f = 1; f < kFieldsPerBlock; ++f) {
    std::string data =
        "12.345\x03-0.25\x03"
        "1013.2\x03"
        "OK\x03";
    data += std::to_string(f);
    std::string label = "K";
    label += std::to_string(f);
    field(label, data);
  }
  capture += "\x13\r";
}

std::string generated_capture() {
  std::string capture;
  capture.reserve(kBlocks * (kFieldsPerBlock * kFieldSize + 3) + 1);
  for (int block = 0; block < kBlocks; ++block) append_block(capture, block);
  capture += '\x14';
  return capture;
}

class NoDisplay : public convert::Display {
 public:
  std::string Label4_Caption() override { return {}; }
  void Label4_SetCaption(const std::string&) override {}
  void Label4_SetVisible(bool) override {}
  void Label4_Refresh() override {}
  void MsgBox(const std::string&, int, const std::string&) override {}
};

class NoAutomation : public automation::Automation {
 public:
  std::shared_ptr<automation::Object> CreateObject(const std::string&) override { std::abort(); }
  std::shared_ptr<automation::Object> GetObject(const std::string&) override { std::abort(); }
  void Name(const std::filesystem::path&, const std::filesystem::path&) override { std::abort(); }
};

// One whole conversion of FOLDER/Schreiber.txt; returns the number of exported blocks.
int convert_once(const std::filesystem::path& folder, std::int32_t max_stx_count) {
  NoDisplay display;
  NoAutomation automation;
  platform::DiskFiles files;
  const platform::FixedClock clock({2031, 3, 7, 14, 5, 0});
  convert::Module1 module({display, automation, files, clock, platform::Regional{}, folder,
                           platform::ProgramEnd(nullptr)});
  module.MaxStxCount = max_stx_count;
  int exported = 0;
  module.export_block = [&](const std::int16_t&, const std::string&, const std::string&) {
    ++exported;
  };
  try {
    module.ConvertCaptureFile();
  } catch (const platform::ProgramEnded&) {
  }
  return exported;
}

long max_rss_kib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Fixture {
  std::filesystem::path folder;
  std::size_t capture_size = 0;
  std::int32_t max_stx_count = 0;
  std::optional<double> peak_mib;  // growth of one conversion, from a fresh process
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

std::optional<double> peak_memory_mib_of_one_conversion(const std::filesystem::path& folder,
                                                        std::int32_t max_stx_count) {
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return std::nullopt;
  const std::string command = std::string("'") + self + "' --peak-memory '" + folder.string() +
                              "' " + std::to_string(max_stx_count);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return std::nullopt;
  long kib = -1;
  const int read = std::fscanf(child, "%ld", &kib);
  if (pclose(child) != 0 || read != 1) return std::nullopt;
  return static_cast<double>(kib) / 1024.0;
}

void report_memory(benchmark::State& state) {
  const Fixture& f = fixture();
  state.counters["capture_MiB"] = static_cast<double>(f.capture_size) / (1024.0 * 1024.0);
  if (f.peak_mib) {
    state.counters["peak_MiB"] = *f.peak_mib;
    state.counters["peak_per_capture"] =
        *f.peak_mib * 1024.0 * 1024.0 / static_cast<double>(f.capture_size);
  }
}

void BM_ConvertCaptureFile(benchmark::State& state) {
  const Fixture& f = fixture();
  int exported = 0;
  for (auto _ : state) {
    exported = convert_once(f.folder, f.max_stx_count);
    benchmark::DoNotOptimize(exported);
  }
  if (exported != kBlocks) state.SkipWithError("not every block was exported");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(f.capture_size));
  report_memory(state);
}
BENCHMARK(BM_ConvertCaptureFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FillBlockTableFromMemory(benchmark::State& state) {
  const std::string capture = generated_capture();
  for (auto _ : state) {
    convert::BlockTable table(fixture().max_stx_count);
    benchmark::DoNotOptimize(convert::fill_block_table(capture, table));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(capture.size()));
}
BENCHMARK(BM_FillBlockTableFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

int measure_peak_memory(const std::filesystem::path& folder, std::int32_t max_stx_count) {
  const long before = max_rss_kib();
  if (convert_once(folder, max_stx_count) != kBlocks) return 1;
  std::printf("%ld\n", max_rss_kib() - before);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--peak-memory") == 0) {
    return measure_peak_memory(argv[2], std::atoi(argv[3]));
  }

  Fixture& f = fixture();
  char pattern[] = "/tmp/schreiber-convert-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  f.folder = pattern;
  {
    const std::string capture = generated_capture();
    std::ofstream(f.folder / "Schreiber.txt", std::ios::binary) << capture;
    f.capture_size = capture.size();
    f.max_stx_count = convert::max_stx_count_of(capture);
  }
  f.peak_mib = peak_memory_mib_of_one_conversion(f.folder, f.max_stx_count);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(f.folder);
  return 0;
}
