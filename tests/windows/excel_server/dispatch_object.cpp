#include "dispatch_object.h"

#include <oleauto.h>

#include <cstdio>
#include <cwchar>

namespace schreiber::test_server {
namespace {

std::string locale_text(LCID locale) {
  char text[16];
  std::snprintf(text, sizeof text, "lcid=%04lX", static_cast<unsigned long>(locale));
  return text;
}

}  // namespace

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  *count = 0;  // late binding only, as the client uses it
  return S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                      DISPID* ids) {
  std::string line = name_ + " names";
  for (UINT i = 0; i < count; ++i) line += " " + visible(names[i]);
  line += " " + locale_text(locale);
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  // One name at a time: no member takes named arguments.
  for (std::size_t m = 0; count == 1 && m < members_.size(); ++m) {
    if (_wcsicmp(members_[m].c_str(), names[0]) == 0) ids[0] = static_cast<DISPID>(m + 1);
  }
  const bool known = count == 1 && ids[0] != DISPID_UNKNOWN;
  state_.log.line(known ? line : line + " unknown");
  if (state_.fault == Fault::refuse_access) {
    state_.log.line("failed " + code_text(E_ACCESSDENIED));
    return E_ACCESSDENIED;
  }
  return known ? S_OK : DISP_E_UNKNOWNNAME;
}

bool DispatchObject::has(DISPID member) const {
  return member == DISPID_VALUE ||
         (member >= 1 && static_cast<std::size_t>(member) <= members_.size());
}

std::string DispatchObject::member_name(DISPID member) const {
  if (member == DISPID_VALUE) return "(default)";
  if (has(member)) return visible(members_[static_cast<std::size_t>(member - 1)]);
  return "#" + std::to_string(member);
}

HRESULT DispatchObject::Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* info, UINT*) {
  Call call{member, flags, {}, nullptr, result};
  const UINT named = params->cNamedArgs;
  // Invoke carries the arguments last to first, after the named ones.
  for (UINT i = params->cArgs; i > named; --i) call.args.push_back(&params->rgvarg[i - 1]);
  std::string line = name_ + "." + member_name(member) + " " + flags_text(flags) + " " +
                     locale_text(locale) + " (";
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    line += (i ? ", " : "") + argument_text(*call.args[i]);
  }
  line += ")";
  for (UINT i = 0; i < named; ++i) {
    const bool put_value = params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT;
    if (put_value) call.value = &params->rgvarg[i];
    line += put_value ? " = " + type_text(params->rgvarg[i].vt)
                      : " named#" + std::to_string(params->rgdispidNamedArgs[i]);
  }
  state_.log.line(line);

  EXCEPINFO exception{};
  HRESULT code = DISP_E_MEMBERNOTFOUND;
  if (state_.fault == Fault::refuse_access) {
    code = E_ACCESSDENIED;
  } else if (named > (call.value ? 1u : 0u)) {
    code = DISP_E_NONAMEDARGS;
  } else if (has(member)) {
    if (result != nullptr) VariantInit(result);
    code = answer(call, exception);
  }
  if (FAILED(code)) {
    const HRESULT shown = code == DISP_E_EXCEPTION ? exception.scode : code;
    state_.log.line("failed " + code_text(shown));
  }
  if (info != nullptr) {
    *info = exception;
  } else {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
  }
  return code;
}

HRESULT raise(EXCEPINFO& info, HRESULT code, const std::wstring& description) {
  info = EXCEPINFO{};
  info.scode = code;
  info.bstrSource = SysAllocString(L"Microsoft Excel");
  info.bstrDescription =
      SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
  return DISP_E_EXCEPTION;
}

HRESULT return_object(const Call& call, IDispatch* object) {
  if (call.result == nullptr) {
    object->Release();
    return S_OK;
  }
  call.result->vt = VT_DISPATCH;
  call.result->pdispVal = object;
  return S_OK;
}

namespace {

bool converted(const VARIANT& value, VARTYPE type, VARIANT& out) {
  VariantInit(&out);
  return SUCCEEDED(VariantChangeType(&out, const_cast<VARIANT*>(&value), 0, type));
}

}  // namespace

bool as_text(const VARIANT& value, std::wstring& text) {
  VARIANT out;
  if (!converted(value, VT_BSTR, out)) return false;
  text.assign(out.bstrVal, SysStringLen(out.bstrVal));
  VariantClear(&out);
  return true;
}

bool as_number(const VARIANT& value, long& number) {
  VARIANT out;
  if (!converted(value, VT_I4, out)) return false;
  number = out.lVal;
  return true;
}

bool as_flag(const VARIANT& value, bool& flag) {
  VARIANT out;
  if (!converted(value, VT_BOOL, out)) return false;
  flag = out.boolVal != VARIANT_FALSE;
  return true;
}

}  // namespace schreiber::test_server
