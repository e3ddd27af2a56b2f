#pragma once
// "Excel.Application" served in-process by the workbook engine (xls/): for machines
// without a spreadsheet application, and the default everywhere. One instance per
// program: attaching always finds it.

#include <filesystem>
#include <memory>
#include <vector>

#include "automation/automation.h"
#include "platform/clock.h"

namespace schreiber::automation {

class EmbeddedWorkbook;

class EmbeddedApplication : public Application,
                            public std::enable_shared_from_this<EmbeddedApplication> {
 public:
  // The clock gives the year of dates typed without one.
  explicit EmbeddedApplication(const platform::Clock& clock) : clock_(clock) {}

  std::shared_ptr<automation::Workbooks> Workbooks() override;
  // Closes every workbook that is still open, without saving.
  void Quit() override;

  // The workbooks open right now, in the order they were opened.
  std::vector<std::shared_ptr<EmbeddedWorkbook>>& open_workbooks() { return open_; }
  const platform::Clock& clock() const { return clock_; }

 private:
  const platform::Clock& clock_;
  std::vector<std::shared_ptr<EmbeddedWorkbook>> open_;
};

class ClassRegistry;

// Registers the embedded application for "Excel.Application": a new one on create, and
// one instance in this process that attaching always finds. `clock` outlives the registry.
void serve_embedded_excel(ClassRegistry& registry, const platform::Clock& clock);

}  // namespace schreiber::automation
