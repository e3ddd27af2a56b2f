#pragma once
// An automation object of the test server: members found by name, every GetIDsOfNames and
// Invoke written to the log (member, flags, LCID, arguments and their types) before the
// object answers it, and every failing answer after it. Told to refuse access, every
// call is refused, as a server of another security context refuses a client.

#include "platform/win32_api.h"

#include <oaidl.h>

#include <string>
#include <vector>

#include "com_object.h"
#include "server_state.h"

namespace schreiber::test_server {

struct Call {
  DISPID member;  // DISPID_VALUE for the default member, else 1 + its index in the table
  WORD flags;
  std::vector<VARIANT*> args;  // positional, in the caller's order
  VARIANT* value;              // the value of a property put, else nullptr
  VARIANT* result;             // may be nullptr
};

class DispatchObject : public ComObject<IDispatch, IID_IDispatch> {
 public:
  DispatchObject(ServerState& state, std::string name, std::vector<std::wstring> members)
      : state_(state), name_(std::move(name)), members_(std::move(members)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                   UINT* bad_argument) override;

 protected:
  virtual HRESULT answer(const Call& call, EXCEPINFO& info) = 0;

  ServerState& state_;

 private:
  bool has(DISPID member) const;
  std::string member_name(DISPID member) const;

  std::string name_;
  std::vector<std::wstring> members_;
};

// An exception of the object: its code and description, as the application raises them.
HRESULT raise(EXCEPINFO& info, HRESULT code, const std::wstring& description);
// Gives the caller `object` (taking over its reference) as the call's result.
HRESULT return_object(const Call& call, IDispatch* object);

// An argument as the type a member needs; false when it cannot be had.
bool as_text(const VARIANT& value, std::wstring& text);
bool as_number(const VARIANT& value, long& number);
bool as_flag(const VARIANT& value, bool& flag);

}  // namespace schreiber::test_server
