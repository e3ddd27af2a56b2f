#include "automation/com_dispatch_win32.h"

#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/text_win32.h"

namespace schreiber::automation::com {
namespace {

// Late-bound clients call with US English, whatever the machine's regional settings, so
// the application reads an assigned "2.41" as 2.41 and "3/12/2024" as March 12 everywhere.
constexpr LCID kUsEnglish = 0x0409;

[[noreturn]] void fail(HRESULT code) {
  const std::int32_t number = failure_number(code);
  throw platform::Failure(number, failure_description(code, number));
}

// A failure that the object described itself (DISP_E_EXCEPTION): its own code (wCode, or
// scode) and its own text, where it gave them.
[[noreturn]] void fail_with(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  const HRESULT code =
      info.wCode != 0 ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode) : info.scode;
  const std::int32_t number = failure_number(code);
  std::string description;
  if (info.bstrDescription != nullptr) {
    description = platform::wide_to_codepage(
        std::wstring_view(info.bstrDescription, SysStringLen(info.bstrDescription)));
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  if (description.empty()) description = failure_description(code, number);
  throw platform::Failure(number, description);
}

// A class that cannot be found, attached to or started is number 429, whatever the
// system's reason; only a refused access is told apart.
[[noreturn]] void fail_class(HRESULT code) {
  if (code == E_ACCESSDENIED) fail(code);
  throw platform::Failure(platform::kCannotCreateObject,
                          failure_description(code, platform::kCannotCreateObject));
}

CLSID class_of(std::wstring_view program_id) {
  ensure_initialized();
  const std::wstring name(program_id);
  CLSID id{};
  const HRESULT code = CLSIDFromProgID(name.c_str(), &id);
  if (FAILED(code)) fail_class(code);
  return id;
}

Dispatch as_dispatch(IUnknown* unknown) {
  IDispatch* object = nullptr;
  const HRESULT code = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
  unknown->Release();
  if (FAILED(code)) platform::raise_failure(platform::kNoAutomationSupport);
  return Dispatch(object);
}

}  // namespace

void ensure_initialized() {
  thread_local const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)started;  // S_FALSE or RPC_E_CHANGED_MODE: COM runs on this thread already
}

Variant::Variant(std::wstring_view text) {
  VariantInit(&value_);
  value_.vt = VT_BSTR;
  value_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

Variant::Variant(std::int32_t number) {
  VariantInit(&value_);
  value_.vt = VT_I4;
  value_.lVal = number;
}

Variant::Variant(bool flag) {
  VariantInit(&value_);
  value_.vt = VT_BOOL;
  value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(const Variant& other) {
  VariantInit(&value_);
  VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
}

Dispatch::~Dispatch() {
  if (object_ != nullptr) object_->Release();
}

Dispatch::Dispatch(const Dispatch& other) : object_(other.object_), ids_(other.ids_) {
  if (object_ != nullptr) object_->AddRef();
}

DISPID Dispatch::id_of(std::wstring_view member) const {
  for (const auto& [known, id] : ids_) {
    if (known == member) return id;
  }
  std::wstring name(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT code = object_->GetIDsOfNames(IID_NULL, names, 1, kUsEnglish, &id);
  // Only an unknown name is 438 (failure_number maps it so). The lookup is a call of its
  // own to an application in another process, which fails as any call does: rejected by
  // a busy application, refused for access, the server gone.
  if (FAILED(code)) fail(code);
  ids_.emplace_back(std::move(name), id);
  return id;
}

Variant Dispatch::invoke(DISPID member, WORD flags, std::initializer_list<Variant> args,
                         const Variant* value) const {
  // Invoke takes the arguments last to first; a value to set comes first, named as such.
  std::vector<VARIANTARG> reversed;
  if (value != nullptr) reversed.push_back(value->get());
  for (auto arg = std::rbegin(args); arg != std::rend(args); ++arg) reversed.push_back(arg->get());
  DISPID put_name = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  if (value != nullptr) {
    params.rgdispidNamedArgs = &put_name;
    params.cNamedArgs = 1;
  }
  Variant result;
  EXCEPINFO info{};
  UINT bad_argument = 0;
  const HRESULT code =
      object_->Invoke(member, IID_NULL, kUsEnglish, flags, &params,
                      value != nullptr ? nullptr : &result.get(), &info, &bad_argument);
  if (code == DISP_E_EXCEPTION) fail_with(info);
  if (FAILED(code)) fail(code);
  return result;
}

namespace {

Dispatch object_of(Variant result) {
  VARIANT& value = result.get();
  if (value.vt != VT_DISPATCH || value.pdispVal == nullptr) {
    platform::raise_failure(platform::kObjectRequired);
  }
  IDispatch* object = value.pdispVal;
  object->AddRef();
  return Dispatch(object);
}

}  // namespace

Dispatch Dispatch::get(std::wstring_view member, std::initializer_list<Variant> args) const {
  return object_of(invoke(id_of(member), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr));
}

Dispatch Dispatch::get_default(std::initializer_list<Variant> args) const {
  return object_of(invoke(DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr));
}

void Dispatch::call(std::wstring_view member, std::initializer_list<Variant> args) const {
  invoke(id_of(member), DISPATCH_METHOD, args, nullptr);
}

void Dispatch::put_default(std::initializer_list<Variant> args, const Variant& value) const {
  invoke(DISPID_VALUE, DISPATCH_PROPERTYPUT, args, &value);
}

Dispatch attach(std::wstring_view program_id) {
  const CLSID id = class_of(program_id);
  IUnknown* running = nullptr;
  const HRESULT code = GetActiveObject(id, nullptr, &running);
  if (FAILED(code) || running == nullptr) fail_class(FAILED(code) ? code : MK_E_UNAVAILABLE);
  return as_dispatch(running);
}

Dispatch create(std::wstring_view program_id) {
  const CLSID id = class_of(program_id);
  IUnknown* created = nullptr;
  const HRESULT code = CoCreateInstance(id, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                        reinterpret_cast<void**>(&created));
  if (FAILED(code) || created == nullptr) fail_class(FAILED(code) ? code : E_NOINTERFACE);
  return as_dispatch(created);
}

bool is_registered(std::wstring_view program_id) {
  ensure_initialized();
  const std::wstring name(program_id);
  CLSID id{};
  return SUCCEEDED(CLSIDFromProgID(name.c_str(), &id));
}

std::int32_t failure_number(HRESULT code) {
  if (HRESULT_FACILITY(code) == FACILITY_CONTROL) return HRESULT_CODE(code);
  switch (code) {
    case E_INVALIDARG:
      return platform::kInvalidProcedureCall;
    case DISP_E_OVERFLOW:
      return platform::kOverflow;
    case E_OUTOFMEMORY:
      return platform::kOutOfMemory;
    case E_NOTIMPL:
      return platform::kActionNotSupported;
    case DISP_E_BADINDEX:
      return platform::kSubscriptOutOfRange;
    case DISP_E_TYPEMISMATCH:
      return platform::kTypeMismatch;
    case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
      return platform::kFileNotFound;
    case HRESULT_FROM_WIN32(ERROR_FILE_EXISTS):
    case HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS):
      return platform::kFileAlreadyExists;
    case E_ACCESSDENIED:
      return platform::kPermissionDenied;
    case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND):
      return platform::kPathNotFound;
    case REGDB_E_CLASSNOTREG:
    case CO_E_CLASSSTRING:
    case MK_E_UNAVAILABLE:
    case CO_E_SERVER_EXEC_FAILURE:
      return platform::kCannotCreateObject;
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
      return platform::kObjectNotSupported;
    case DISP_E_PARAMNOTFOUND:
      return platform::kNamedArgumentNotFound;
    case DISP_E_PARAMNOTOPTIONAL:
      return platform::kArgumentNotOptional;
    case DISP_E_BADPARAMCOUNT:
      return platform::kWrongArgumentCount;
    default:
      return static_cast<std::int32_t>(code);
  }
}

// The automation layer's own text for the numbers it gives a failure code itself; the
// system's text for any other.
std::string failure_description(HRESULT code, std::int32_t number) {
  switch (number) {
    case platform::kInvalidProcedureCall:
    case platform::kOverflow:
    case platform::kOutOfMemory:
    case platform::kSubscriptOutOfRange:
    case platform::kTypeMismatch:
    case platform::kFileNotFound:
    case platform::kFileAlreadyExists:
    case platform::kPermissionDenied:
    case platform::kPathNotFound:
    case platform::kCannotCreateObject:
    case platform::kObjectNotSupported:
    case platform::kActionNotSupported:
    case platform::kNamedArgumentNotFound:
    case platform::kArgumentNotOptional:
    case platform::kWrongArgumentCount:
      return platform::standard_description(static_cast<platform::FailureNumber>(number));
    default:
      return platform::system_message(static_cast<unsigned long>(code));
  }
}

}  // namespace schreiber::automation::com
