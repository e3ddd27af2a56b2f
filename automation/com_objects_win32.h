#pragma once
// "Excel.Application" and "Scripting.FileSystemObject" as the components installed on the
// machine, reached through OLE automation.

#include <memory>

#include "automation/automation.h"
#include "automation/com_dispatch_win32.h"

namespace schreiber::automation {

// The application and the file object around an automation object already at hand.
std::shared_ptr<Application> com_application(com::Dispatch application);
std::shared_ptr<FileSystemObject> com_file_system_object(com::Dispatch file_system);

// The spreadsheet application's running instance, or a new one.
std::shared_ptr<Application> attach_com_application();
std::shared_ptr<Application> create_com_application();
// Whether the machine has a spreadsheet application to drive.
bool com_application_registered();

std::shared_ptr<FileSystemObject> create_com_file_system_object();

}  // namespace schreiber::automation
