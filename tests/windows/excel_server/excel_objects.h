#pragma once
// The objects of "Excel.Application" that the export calls, over our own workbook engine,
// storing assigned texts as the embedded application does: Application (Workbooks, Quit),
// Workbooks (Open, the default member by name), Workbook (Worksheets, Close), Worksheets
// (the default member by name), Worksheet (Activate, Cells) and Range (its default member,
// the value, settable; with a row and column it is the cell at that place in the range).

#include "platform/win32_api.h"

#include <oaidl.h>

#include "server_state.h"

namespace schreiber::test_server {

// A new application object with one reference.
IDispatch* new_application(ServerState& state);

}  // namespace schreiber::test_server
