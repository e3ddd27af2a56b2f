#pragma once
// What every object of the server does alike: one interface besides IUnknown, a reference
// count that starts at one for the creator, and deletion with the last reference.

#include "platform/win32_api.h"

#include <unknwn.h>

namespace schreiber::test_server {

template <class Interface, const IID& kInterfaceId>
class ComObject : public Interface {
 public:
  virtual ~ComObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    *out = nullptr;
    if (id != IID_IUnknown && id != kInterfaceId) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  ULONG references_ = 1;
};

}  // namespace schreiber::test_server
