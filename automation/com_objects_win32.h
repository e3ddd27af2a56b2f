#pragma once
// "Excel.Application" and "Scripting.FileSystemObject" as the components installed on the
// machine, reached through OLE automation.

#include <memory>

#include "automation/automation.h"

namespace schreiber::automation {

// The spreadsheet application's running instance, or a new one.
std::shared_ptr<Application> attach_com_application();
std::shared_ptr<Application> create_com_application();
// Whether the machine has a spreadsheet application to drive.
bool com_application_registered();

std::shared_ptr<FileSystemObject> create_com_file_system_object();

}  // namespace schreiber::automation
