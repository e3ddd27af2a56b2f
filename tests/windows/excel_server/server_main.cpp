// A stand-in for the spreadsheet application, for the tests of the Windows build: a local
// automation server of whatever class "Excel.Application" names in the registry.
//   excel_test_server             started by hand: puts its application object into the
//                                 running object table, to be attached to
//   excel_test_server -Embedding  started by COM for a client's CoCreateInstance: offers
//                                 its class, one application for one client
// Either way it runs until the application's Quit. SCHREIBER_SERVER_LOG names the file
// every call is written to; SCHREIBER_SERVER_FAULT picks a failure to show (server_state.h).

#include "platform/win32_api.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "com_object.h"
#include "excel_objects.h"
#include "message_filter.h"
#include "platform/clock.h"
#include "server_state.h"

namespace schreiber::test_server {
namespace {

class ClassFactory : public ComObject<IClassFactory, IID_IClassFactory> {
 public:
  explicit ClassFactory(ServerState& state) : state_(state) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** out) override {
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    state_.log.line("CreateInstance");
    IDispatch* application = new_application(state_);
    const HRESULT code = application->QueryInterface(id, out);
    application->Release();
    return code;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ServerState& state_;
};

std::wstring environment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value != nullptr ? value : L"";
}

Fault fault_named(const std::wstring& name) {
  if (name == L"refuse-access") return Fault::refuse_access;
  if (name == L"open-exception") return Fault::open_exception;
  if (name == L"reject-first-open") return Fault::reject_first_open;
  if (name == L"die-in-block") return Fault::die_in_block;
  return Fault::none;
}

int serve(bool started_by_com) {
  ServerState state(environment(L"SCHREIBER_SERVER_LOG"),
                    fault_named(environment(L"SCHREIBER_SERVER_FAULT")),
                    platform::SystemClock().now().year);
  CLSID id{};
  if (FAILED(CLSIDFromProgID(L"Excel.Application", &id))) {
    state.log.line("Excel.Application is not registered");
    return 1;
  }
  IMessageFilter* filter = new_message_filter(state);
  CoRegisterMessageFilter(filter, nullptr);
  filter->Release();
  DWORD registration = 0;
  HRESULT code = S_OK;
  if (started_by_com) {
    auto* factory = new ClassFactory(state);
    code = CoRegisterClassObject(id, factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &registration);
    factory->Release();
  } else {
    IDispatch* application = new_application(state);
    code = RegisterActiveObject(application, id, ACTIVEOBJECT_STRONG, &registration);
    application->Release();
  }
  if (FAILED(code)) {
    state.log.line("registration failed " + code_text(code));
    return 1;
  }
  state.log.line(started_by_com ? "started by COM" : "running");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (started_by_com) {
    CoRevokeClassObject(registration);
  } else {
    RevokeActiveObject(registration, nullptr);
  }
  CoRegisterMessageFilter(nullptr, nullptr);
  state.log.line("exit");
  return 0;
}

}  // namespace
}  // namespace schreiber::test_server

int main(int argc, char** argv) {
  const bool started_by_com =
      argc > 1 && (_stricmp(argv[1], "-Embedding") == 0 || _stricmp(argv[1], "/Embedding") == 0);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int status = schreiber::test_server::serve(started_by_com);
  CoUninitialize();
  return status;
}
