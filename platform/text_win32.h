#pragma once
// Text at the edges of the Windows calls: UTF-16 of the system <-> bytes of the system's
// ANSI code page, and the system's own description of an error code.

#include <string>
#include <string_view>

namespace schreiber::platform {

// UTF-16 text as bytes of the ANSI code page; a character the code page lacks becomes '?'.
std::string utf16_to_codepage(std::u16string_view text);
std::string wide_to_codepage(std::wstring_view text);
// Each byte becomes one UTF-16 character.
std::wstring codepage_to_wide(std::string_view bytes);

// The system's message for an error code (GetLastError, an HRESULT), in code-page bytes,
// without the line end and final full stop.
std::string system_message(unsigned long code);

}  // namespace schreiber::platform
