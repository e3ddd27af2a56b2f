#pragma once
// Module1, the conversion: the capture file parser (ConvertCaptureFile), the block
// headers and workbook names (ProcessBlocks) and the workbook export (ExportBlock),
// sharing the run's BlockTable, MaxStxCount, ExcelApp and ExcelStarted.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "automation/automation.h"
#include "convert/block_table.h"
#include "convert/display.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/program_end.h"
#include "platform/regional.h"

namespace schreiber::convert {

// What the conversion works with, handed in by whoever builds the program.
struct Module1Context {
  Display& display;
  automation::Automation& automation;
  platform::Files& files;
  const platform::Clock& clock;
  platform::Regional regional;
  std::filesystem::path folder;  // the program's folder
  platform::ProgramEnd end_program;
};

class Module1 {
 public:
  explicit Module1(Module1Context context);

  // Reads the capture file, fills BlockTable, has every finished block processed, ends
  // the run and the program. Returns only when the capture file is shorter than 10 bytes.
  void ConvertCaptureFile();

  // Decodes the headers of blocks 0..last_block, rewrites them, and exports the selected
  // ones through export_block.
  void ProcessBlocks(const std::int16_t& last_block);

  // Writes one block into its own copy of the template.
  void ExportBlock(const std::int16_t& block, const std::string& workbook_name,
                   const std::string& template_name);

  // For a failure that ends the program: as the normal end does, quits the spreadsheet
  // application when this run attached to or started it, after closing without saving the
  // workbook that a failed export left open, and releases it. Nothing here fails; the
  // workbooks already saved stay.
  void QuitAfterFailure();

  // The export as ProcessBlocks calls it; tests may replace it to observe the calls.
  std::function<void(const std::int16_t&, const std::string&, const std::string&)> export_block;

  // The run's shared state.
  convert::BlockTable BlockTable;
  std::int32_t MaxStxCount = 0;
  std::shared_ptr<automation::Application> ExcelApp;
  bool ExcelStarted = false;

  const Module1Context& context() const { return context_; }

 private:
  friend class BlockExport;  // one call of ExportBlock (export_block.cpp)

  Module1Context context_;
  // The workbook that ExportBlock opened and has not closed yet; empty when none.
  std::string open_workbook_;
};

// Paths of the program's folder.
inline constexpr const char* kCaptureFileName = "Schreiber.txt";
inline constexpr const char* kTemplateFolder = "FILES/Vor/";
inline constexpr const char* kDataFolder = "Data/";

}  // namespace schreiber::convert
