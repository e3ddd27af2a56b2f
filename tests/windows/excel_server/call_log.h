#pragma once
// The test server's record of the calls it receives: one line per call, written through
// at once, so that a server that is killed leaves every line up to its end.

#include "platform/win32_api.h"

#include <oaidl.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace schreiber::test_server {

class CallLog {
 public:
  // No path: nothing is written.
  explicit CallLog(const std::wstring& path);
  ~CallLog();
  CallLog(const CallLog&) = delete;
  CallLog& operator=(const CallLog&) = delete;

  void line(const std::string& text);

 private:
  std::FILE* file_ = nullptr;
};

// "method", "get", "get|method", "put", "putref"
std::string flags_text(WORD flags);
// The type, with the value for the types a member of ours takes: I4 5, BOOL true, BSTR "x".
std::string argument_text(const VARIANT& value);
std::string type_text(VARTYPE type);
// An HRESULT as 8 hex digits.
std::string code_text(HRESULT code);
// Printable ASCII as it is, every other character as \u{hex}.
std::string visible(std::wstring_view text);

}  // namespace schreiber::test_server
