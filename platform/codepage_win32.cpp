// The code page on Windows is the system's ANSI code page. Every byte maps to one
// character on its own, so a capture is never read as multi-byte text even where the
// code page has lead bytes; a byte the code page leaves undefined keeps its own value.

#include "platform/win32_api.h"

#include <array>
#include <unordered_map>

#include "platform/codepage.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"

namespace schreiber::platform {
namespace {

struct Tables {
  std::array<char16_t, 256> to_unicode{};
  std::unordered_map<char16_t, unsigned char> from_unicode;
};

Tables make_tables() {
  Tables tables;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t character = 0;
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &character, 1);
    tables.to_unicode[b] = n == 1 ? static_cast<char16_t>(character) : static_cast<char16_t>(b);
  }
  // Lower bytes first, so that a character two bytes share goes back to the lower one.
  for (int b = 255; b >= 0; --b)
    tables.from_unicode[tables.to_unicode[b]] = static_cast<unsigned char>(b);
  return tables;
}

const Tables& tables() {
  static const Tables built = make_tables();
  return built;
}

bool is_high_surrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool is_low_surrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

char32_t codepage_to_unicode(unsigned char byte) {
  return tables().to_unicode[byte];
}

std::u16string codepage_to_utf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes) out += tables().to_unicode[static_cast<unsigned char>(b)];
  return out;
}

std::string codepage_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) append_utf8(out, tables().to_unicode[static_cast<unsigned char>(b)]);
  return out;
}

std::string utf16_to_codepage(std::u16string_view text) {
  const auto& back = tables().from_unicode;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A character outside the basic plane is never in a single-byte code page.
    if (is_high_surrogate(c) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) ++i;
    const auto found = back.find(c);
    out += found == back.end() ? '?' : static_cast<char>(found->second);
  }
  return out;
}

std::string wide_to_codepage(std::wstring_view text) {
  return utf16_to_codepage(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring codepage_to_wide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char b : bytes)
    out += static_cast<wchar_t>(tables().to_unicode[static_cast<unsigned char>(b)]);
  return out;
}

std::string utf8_to_codepage(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide_to_codepage(wide);
}

std::filesystem::path codepage_to_file_name(std::string_view bytes) {
  return std::filesystem::path(codepage_to_wide(bytes));
}

std::string file_name_to_codepage(const std::filesystem::path& path) {
  return wide_to_codepage(path.native());
}

std::string system_message(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message =
      length ? wide_to_codepage(std::wstring_view(text, length)) : "Error " + std::to_string(code);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

}  // namespace schreiber::platform
