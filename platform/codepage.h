#pragma once
// The single-byte code page that stands between captured bytes and Unicode text.
// On Windows it is the system's ANSI code page, byte by byte. Off Windows it is
// Windows-1252; bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which that code
// page leaves undefined, map to the C1 control characters of the same value so that
// every byte survives a round trip.

#include <filesystem>
#include <string>
#include <string_view>

namespace schreiber::platform {

char32_t codepage_to_unicode(unsigned char byte);

std::u16string codepage_to_utf16(std::string_view bytes);
std::string codepage_to_utf8(std::string_view bytes);

// Unicode text back into code-page bytes; a character the code page lacks becomes '?'.
std::string utf8_to_codepage(std::string_view utf8);

// A name made of code-page bytes as a file system path (UTF-8 off Windows, UTF-16 on
// Windows).
std::filesystem::path codepage_to_file_name(std::string_view bytes);

// A path as code-page text, for the descriptions that the operator reads; a character the
// code page lacks becomes '?'.
std::string file_name_to_codepage(const std::filesystem::path& path);

}  // namespace schreiber::platform
