#include "automation/class_registry.h"
#include "automation/embedded_excel.h"
#include "automation/file_system_object.h"

namespace schreiber::automation {

std::unique_ptr<Automation> make_default_automation() {
  auto registry = std::make_unique<ClassRegistry>();
  // The embedded application lives in this process, so there is always one to attach to.
  auto running = std::make_shared<std::shared_ptr<EmbeddedApplication>>();
  registry->serve(
      kExcelApplication, [] { return std::make_shared<EmbeddedApplication>(); },
      [running] {
        if (!*running) *running = std::make_shared<EmbeddedApplication>();
        return *running;
      });
  registry->serve(
      kFileSystemObject, [] { return std::make_shared<LocalFileSystemObject>(); }, nullptr);
  return registry;
}

}  // namespace schreiber::automation
