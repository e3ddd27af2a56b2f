#pragma once
// UTF-8 to UTF-16 and back for the typed-entry tests and probe (characters of the Basic
// Multilingual Plane, which is all they use).

#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace schreiber::testing {

inline std::string to_utf8(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) platform::append_utf8(out, c);
  return out;
}

inline std::u16string from_utf8(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    const int follow = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : 2;
    char16_t c = follow == 0 ? lead : lead & (0x3F >> follow);
    for (int k = 0; k < follow && i < text.size(); ++k) c = (c << 6) | (text[i++] & 0x3F);
    out += c;
  }
  return out;
}

}  // namespace schreiber::testing
