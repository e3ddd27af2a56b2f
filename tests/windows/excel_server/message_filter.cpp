#include "message_filter.h"

#include <string>

namespace schreiber::test_server {
namespace {

class MessageFilter : public IMessageFilter {
 public:
  explicit MessageFilter(ServerState& state) : state_(state) {}
  virtual ~MessageFilter() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    *out = nullptr;
    if (id != IID_IUnknown && id != IID_IMessageFilter) return E_NOINTERFACE;
    *out = static_cast<IMessageFilter*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

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
  ULONG references_ = 1;
};

}  // namespace

IMessageFilter* new_message_filter(ServerState& state) {
  return new MessageFilter(state);
}

}  // namespace schreiber::test_server
