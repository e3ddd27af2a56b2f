#include <array>

#include "platform/codepage.h"
#include "platform/utf8.h"

namespace schreiber::platform {
namespace {

// 0x80..0x9F of Windows-1252; holes keep their C1 value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char unicode_to_codepage(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

char32_t codepage_to_unicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

std::u16string codepage_to_utf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes)
    out += static_cast<char16_t>(codepage_to_unicode(static_cast<unsigned char>(b)));
  return out;
}

std::string codepage_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) append_utf8(out, codepage_to_unicode(static_cast<unsigned char>(b)));
  return out;
}

std::string utf8_to_codepage(std::string_view utf8) {
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t extra = lead < 0x80   ? 0
                              : lead < 0xC0 ? 99
                              : lead < 0xE0 ? 1
                              : lead < 0xF0 ? 2
                                            : 3;
    if (extra == 99 || i + extra >= utf8.size() + (extra == 0 ? 1 : 0)) {
      out += '?';  // a stray continuation byte or a sequence cut off at the end
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    bool valid = true;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(utf8[i + k]);
      if ((cont & 0xC0) != 0x80) valid = false;
      c = (c << 6) | (cont & 0x3F);
    }
    out += valid ? unicode_to_codepage(c) : '?';
    i += valid ? extra + 1 : 1;
  }
  return out;
}

std::filesystem::path codepage_to_file_name(std::string_view bytes) {
  return std::filesystem::path(codepage_to_utf8(bytes));
}

std::string file_name_to_codepage(const std::filesystem::path& path) {
  return utf8_to_codepage(path.native());
}

}  // namespace schreiber::platform
