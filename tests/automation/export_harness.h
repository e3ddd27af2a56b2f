#pragma once
// Module1 in a temporary program folder with a template folder and a data folder, the
// headless view as its display, and the given automation.

#include <memory>
#include <optional>

#include "convert/module1.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/temp_folder.h"
#include "window/headless_view.h"

namespace schreiber::testing {

struct ExportHarness {
  explicit ExportHarness(std::unique_ptr<automation::Automation> automation_backend)
      : automation(std::move(automation_backend)),
        clock(platform::DateTime{2031, 3, 7, 14, 5, 0}),
        module1(convert::Module1Context{view, *automation, files, clock, regional, folder.path(),
                                        platform::ProgramEnd([this](int s) { ended = s; })}) {
    std::filesystem::create_directories(folder / "FILES/Vor");
    std::filesystem::create_directories(folder / "Data");
  }

  // Sets the fields of a block; the table's field bound becomes `bound`.
  void set_block(std::int16_t block, const std::vector<std::string>& fields, std::int32_t bound) {
    if (module1.BlockTable.field_bound() != bound) module1.BlockTable = convert::BlockTable(bound);
    module1.BlockTable.ensure_row(block);
    for (std::size_t f = 0; f < fields.size(); ++f) {
      module1.BlockTable.element(block, static_cast<std::int32_t>(f)) = fields[f];
    }
  }

  // Runs the export; true when it ended the program.
  bool run(std::int16_t block, const std::string& workbook, const std::string& template_name) {
    try {
      module1.ExportBlock(block, workbook, template_name);
      return false;
    } catch (const platform::ProgramEnded&) {
      return true;
    }
  }

  TempFolder folder;
  window::HeadlessView view;
  std::unique_ptr<automation::Automation> automation;
  platform::DiskFiles files;
  platform::FixedClock clock;
  // A named one: g++ 12 at -O2 misreads a {} in the context as maybe uninitialized.
  const platform::Regional regional;
  convert::Module1 module1;
  std::optional<int> ended;
};

}  // namespace schreiber::testing
