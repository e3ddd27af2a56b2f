#pragma once
// "Excel.Application" served in-process by the workbook engine (xls/): for machines
// without a spreadsheet application, and the default everywhere. One instance per
// program: attaching always finds it.

#include <filesystem>
#include <memory>
#include <vector>

#include "automation/automation.h"

namespace schreiber::automation {

class EmbeddedWorkbook;

class EmbeddedApplication : public Application,
                            public std::enable_shared_from_this<EmbeddedApplication> {
 public:
  std::shared_ptr<automation::Workbooks> Workbooks() override;
  // Closes every workbook that is still open, without saving.
  void Quit() override;

  // The workbooks open right now, in the order they were opened.
  std::vector<std::shared_ptr<EmbeddedWorkbook>>& open_workbooks() { return open_; }

 private:
  std::vector<std::shared_ptr<EmbeddedWorkbook>> open_;
};

class ClassRegistry;

// Registers the embedded application for "Excel.Application": a new one on create, and
// one instance in this process that attaching always finds.
void serve_embedded_excel(ClassRegistry& registry);

}  // namespace schreiber::automation
