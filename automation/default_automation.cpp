#include "automation/class_registry.h"
#include "automation/embedded_excel.h"
#include "automation/file_system_object.h"

namespace schreiber::automation {

std::unique_ptr<Automation> make_default_automation(const platform::Clock& clock) {
  auto registry = std::make_unique<ClassRegistry>();
  serve_embedded_excel(*registry, clock);
  registry->serve(
      kFileSystemObject, [] { return std::make_shared<LocalFileSystemObject>(); }, nullptr);
  return registry;
}

}  // namespace schreiber::automation
