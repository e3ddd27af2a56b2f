#include "call_log.h"

#include <cstdio>

namespace schreiber::test_server {

CallLog::CallLog(const std::wstring& path) {
  if (!path.empty()) file_ = _wfopen(path.c_str(), L"ab");
}

CallLog::~CallLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void CallLog::line(const std::string& text) {
  if (file_ == nullptr) return;
  std::fputs((text + "\n").c_str(), file_);
  std::fflush(file_);
}

std::string flags_text(WORD flags) {
  std::string text;
  const auto add = [&](WORD flag, const char* name) {
    if ((flags & flag) == 0) return;
    if (!text.empty()) text += '|';
    text += name;
  };
  add(DISPATCH_PROPERTYGET, "get");
  add(DISPATCH_PROPERTYPUT, "put");
  add(DISPATCH_PROPERTYPUTREF, "putref");
  add(DISPATCH_METHOD, "method");
  return text;
}

std::string type_text(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
      return "EMPTY";
    case VT_I2:
      return "I2";
    case VT_I4:
      return "I4";
    case VT_R8:
      return "R8";
    case VT_BSTR:
      return "BSTR";
    case VT_BOOL:
      return "BOOL";
    case VT_VARIANT | VT_BYREF:
      return "VARIANT*";
    case VT_DISPATCH:
      return "DISPATCH";
    case VT_ERROR:
      return "ERROR";
    default:
      return "vt" + std::to_string(type);
  }
}

std::string argument_text(const VARIANT& value) {
  std::string text = type_text(value.vt);
  switch (value.vt) {
    case VT_I2:
      return text + " " + std::to_string(value.iVal);
    case VT_I4:
      return text + " " + std::to_string(value.lVal);
    case VT_BOOL:
      return text + (value.boolVal == VARIANT_TRUE ? " true" : value.boolVal ? " odd" : " false");
    case VT_BSTR:
      return text + " \"" + visible(std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal))) +
             "\"";
    default:
      return text;
  }
}

std::string code_text(HRESULT code) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(code));
  return text;
}

std::string visible(std::wstring_view text) {
  std::string out;
  for (const wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char code[16];
      std::snprintf(code, sizeof code, "\\u{%x}", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

}  // namespace schreiber::test_server
