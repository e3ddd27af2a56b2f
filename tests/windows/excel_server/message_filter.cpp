#include "message_filter.h"

#include <string>

#include "com_object.h"

namespace schreiber::test_server {
namespace {

class MessageFilter : public ComObject<IMessageFilter, IID_IMessageFilter> {
 public:
  explicit MessageFilter(ServerState& state) : state_(state) {}

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO call) override {
    if (state_.fault != Fault::reject_first_open || state_.rejected || call == nullptr ||
        call->pUnk == nullptr || call->pUnk != state_.first_workbooks) {
      return SERVERCALL_ISHANDLED;
    }
    state_.rejected = true;
    state_.log.line("rejected Workbooks call, method " + std::to_string(call->wMethod));
    return SERVERCALL_REJECTED;
  }
  // The server makes no calls of its own.
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return ~0u; }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  ServerState& state_;
};

}  // namespace

IMessageFilter* new_message_filter(ServerState& state) {
  return new MessageFilter(state);
}

}  // namespace schreiber::test_server
