#pragma once
// A Module1 over a real temporary program folder, with the display, the program's end,
// the spreadsheet application's Quit and every export call recorded.

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation/automation.h"
#include "convert/display.h"
#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace schreiber::testing {

// Bytes written as hex pairs, blanks between them ignored: bytes("11 01 4C").
inline std::string bytes(const std::string& hex) {
  std::string out;
  std::string pair;
  for (const char c : hex) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    pair += c;
    if (pair.size() == 2) {
      out += static_cast<char>(std::stoi(pair, nullptr, 16));
      pair.clear();
    }
  }
  if (!pair.empty()) throw std::invalid_argument("odd number of hex digits: " + hex);
  return out;
}

class RecordingDisplay : public convert::Display {
 public:
  std::vector<std::string> operations;

  std::string Label4_Caption() override { return {}; }
  void Label4_SetCaption(const std::string& caption) override {
    operations.push_back("Label4.Caption " + caption);
  }
  void Label4_SetVisible(bool visible) override {
    operations.push_back(visible ? "Label4.Visible true" : "Label4.Visible false");
  }
  void Label4_Refresh() override { operations.push_back("Label4.Refresh"); }
  void MsgBox(const std::string& prompt, int, const std::string&) override {
    operations.push_back("MsgBox " + prompt);
  }
};

class QuitCountingApplication : public automation::Application {
 public:
  int quits = 0;
  std::shared_ptr<automation::Workbooks> Workbooks() override {
    throw platform::Failure(platform::kApplicationDefined, "no workbooks here");
  }
  void Quit() override { ++quits; }
};

// The conversion under test never reaches the automation: the export is recorded instead.
class UnreachableAutomation : public automation::Automation {
 public:
  std::shared_ptr<automation::Object> CreateObject(const std::string&) override { fail(); }
  std::shared_ptr<automation::Object> GetObject(const std::string&) override { fail(); }
  void Name(const std::filesystem::path&, const std::filesystem::path&) override { fail(); }

 private:
  [[noreturn]] static void fail() { throw std::logic_error("automation used"); }
};

struct ExportCall {
  std::int16_t block;
  std::string workbook_name;
  std::string template_name;
  std::string header_at_call;  // element (block, 0) when the export was called

  bool operator==(const ExportCall&) const = default;
};

// 7 March 2031, 14:05.
inline constexpr platform::DateTime kSomeMoment{2031, 3, 7, 14, 5, 0};

class ConversionHarness {
 public:
  explicit ConversionHarness(std::string date_separator = "/", platform::DateTime now = kSomeMoment)
      : clock_(now) {
    platform::Regional regional;
    regional.date_separator = std::move(date_separator);
    module = std::make_unique<convert::Module1>(
        convert::Module1Context{display, automation_, files_, clock_, regional, folder.path(),
                                platform::ProgramEnd([this](int status) { end_status = status; })});
    module->export_block = [this](const std::int16_t& block, const std::string& workbook,
                                  const std::string& template_name) {
      exports.push_back({block, workbook, template_name, module->BlockTable.at(block, 0)});
    };
  }

  // Writes the capture file and converts it. True when the conversion returned (the
  // short-file case), false when it ended the program.
  bool convert(const std::string& capture, std::int32_t max_stx_count) {
    write_file(folder / convert::kCaptureFileName, capture);
    module->MaxStxCount = max_stx_count;
    try {
      module->ConvertCaptureFile();
      return true;
    } catch (const platform::ProgramEnded&) {
      return false;
    }
  }

  TempFolder folder;
  RecordingDisplay display;
  std::optional<int> end_status;
  std::vector<ExportCall> exports;
  std::unique_ptr<convert::Module1> module;

 private:
  UnreachableAutomation automation_;
  platform::DiskFiles files_;
  platform::FixedClock clock_;
};

}  // namespace schreiber::testing
