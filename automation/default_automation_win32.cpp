#include "automation/class_registry.h"
#include "automation/com_objects_win32.h"
#include "automation/embedded_excel.h"

namespace schreiber::automation {

// The spreadsheet application installed on the machine when there is one; otherwise the
// embedded engine serves its class, so the workbooks are written all the same. The file
// object is always the system's own.
std::unique_ptr<Automation> make_default_automation(const platform::Clock& clock) {
  auto registry = std::make_unique<ClassRegistry>();
  if (com_application_registered()) {
    registry->serve(
        kExcelApplication, [] { return create_com_application(); },
        [] { return attach_com_application(); });
  } else {
    serve_embedded_excel(*registry, clock);
  }
  registry->serve(
      kFileSystemObject, [] { return create_com_file_system_object(); }, nullptr);
  return registry;
}

}  // namespace schreiber::automation
