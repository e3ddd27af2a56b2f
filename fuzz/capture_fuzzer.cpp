// Any byte sequence as a capture file: the conversion either ends the run normally or
// leaves with a numbered failure. It never crashes, and whatever it hands to the export
// is a well-formed header and two plain file names.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "automation/automation.h"
#include "convert/block_headers.h"
#include "convert/capture_parser.h"
#include "convert/control_bytes.h"
#include "convert/display.h"
#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/failure.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/program_end.h"

namespace {

using namespace schreiber;

// Large enough for 32768 DC3 bytes, small enough to keep a run's memory bounded.
constexpr std::size_t kMaxInput = 256 * 1024;

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// The capture file lives in memory; nothing else is ever asked for.
class CaptureOnlyFiles : public platform::Files {
 public:
  explicit CaptureOnlyFiles(std::string capture) : capture_(std::move(capture)) {}
  bool remove(const std::filesystem::path&) override { return false; }
  std::unique_ptr<platform::RecordFile> create_record_file(const std::filesystem::path&) override {
    __builtin_trap();
  }
  std::optional<std::string> read_first_line(const std::filesystem::path&) override {
    return std::nullopt;
  }
  void write_text(const std::filesystem::path&, const std::string&) override { __builtin_trap(); }
  std::string read_or_create(const std::filesystem::path&) override { return capture_; }

 private:
  std::string capture_;
};

class SilentDisplay : public convert::Display {
 public:
  std::string Label4_Caption() override { return {}; }
  void Label4_SetCaption(const std::string&) override {}
  void Label4_SetVisible(bool) override {}
  void Label4_Refresh() override {}
  void MsgBox(const std::string&, int, const std::string&) override {}
};

class NoAutomation : public automation::Automation {
 public:
  std::shared_ptr<automation::Object> CreateObject(const std::string&) override {
    __builtin_trap();
  }
  std::shared_ptr<automation::Object> GetObject(const std::string&) override { __builtin_trap(); }
  void Name(const std::filesystem::path&, const std::filesystem::path&) override {
    __builtin_trap();
  }
};

bool is_plain_file_name(const std::string& name) {
  return name.size() >= 4 && name.compare(name.size() - 4, 4, ".xls") == 0 &&
         name.find_first_of(platform::path_characters()) == std::string::npos;
}

// "001" STX and six header fields between five ETX, with no other character below 31.
bool is_normalised_header(const std::string& header) {
  if (header.compare(0, 4, "001\x02") != 0) return false;
  int separators = 0;
  for (std::size_t i = 4; i < header.size(); ++i) {
    const auto code = static_cast<unsigned char>(header[i]);
    if (header[i] == convert::kETX) {
      ++separators;
    } else if (code <= 30) {
      return false;
    }
  }
  return separators == 5;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string capture(reinterpret_cast<const char*>(data), size);

  CaptureOnlyFiles files(capture);
  SilentDisplay display;
  NoAutomation automation;
  const platform::FixedClock clock({2031, 3, 7, 14, 5, 0});
  std::optional<int> end_status;
  convert::Module1 module({display, automation, files, clock, platform::Regional{}, "/nowhere",
                           platform::ProgramEnd([&](int status) { end_status = status; })});
  module.MaxStxCount = convert::max_stx_count_of(capture);

  int last_exported = -1;
  module.export_block = [&](const std::int16_t& block, const std::string& workbook_name,
                            const std::string& template_name) {
    require(block > last_exported);
    last_exported = block;
    require(is_normalised_header(module.BlockTable.at(block, 0)));
    require(is_plain_file_name(workbook_name));
    require(workbook_name.front() != ' ' && workbook_name.back() != ' ');
    require(is_plain_file_name(template_name));
  };

  try {
    module.ConvertCaptureFile();
    require(size < convert::kMinimumCaptureSize);
  } catch (const platform::ProgramEnded& end) {
    require(end.status == 0 && end_status == 0);
    for (std::int32_t block = 0; block < module.BlockTable.block_bound(); ++block) {
      require(is_normalised_header(module.BlockTable.at(block, 0)));
    }
  } catch (const platform::Failure& failure) {
    require(failure.number() == platform::kOverflow);
  }
  return 0;
}
