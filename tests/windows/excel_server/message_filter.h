#pragma once
// The server's message filter: sees every incoming call before the object does. Told to
// (reject-first-open), it rejects the first call to the first Workbooks collection, the
// one that leads to the export's first Open, as a busy application's filter rejects calls.

#include "platform/win32_api.h"

#include <objidl.h>

#include "server_state.h"

namespace schreiber::test_server {

// A new filter with one reference, for CoRegisterMessageFilter.
IMessageFilter* new_message_filter(ServerState& state);

}  // namespace schreiber::test_server
