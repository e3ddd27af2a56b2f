#include "xls/biff_string.h"

#include <algorithm>

#include "xls/error.h"
#include "xls/little_endian.h"

namespace xls {

namespace {
[[noreturn]] void past_end() {
  throw Error(ErrorKind::unreadable, "a string runs past the end of its records");
}
}  // namespace

bool ContinuedReader::settle() {
  while (part_ < parts_.size() && offset_ >= parts_[part_].size()) {
    ++part_;
    offset_ = 0;
  }
  return part_ < parts_.size();
}

std::uint8_t ContinuedReader::u8() {
  if (!settle()) past_end();
  return static_cast<std::uint8_t>(parts_[part_][offset_++]);
}

std::uint16_t ContinuedReader::u16() {
  const std::uint16_t low = u8();
  return static_cast<std::uint16_t>(low | (u8() << 8));
}

std::uint32_t ContinuedReader::u32() {
  const std::uint32_t low = u16();
  return low | (static_cast<std::uint32_t>(u16()) << 16);
}

void ContinuedReader::skip(std::size_t count) {
  while (count > 0) {
    if (!settle()) past_end();
    const std::size_t step = std::min(count, parts_[part_].size() - offset_);
    offset_ += step;
    count -= step;
  }
}

std::u16string ContinuedReader::chars(std::size_t count, bool high_byte) {
  std::u16string text;
  text.reserve(std::min<std::size_t>(count, 4096));
  while (text.size() < count) {
    if (part_ >= parts_.size()) past_end();
    if (offset_ >= parts_[part_].size()) {
      ++part_;
      offset_ = 0;
      if (part_ >= parts_.size() || parts_[part_].empty()) past_end();
      high_byte = (parts_[part_][offset_++] & kHighByte) != 0;
      continue;
    }
    const std::string_view part = parts_[part_];
    const std::size_t width = high_byte ? 2 : 1;
    const std::size_t available = (part.size() - offset_) / width;
    if (available == 0) past_end();  // half a character before the boundary
    const std::size_t take = std::min(available, count - text.size());
    const char* p = part.data() + offset_;
    const std::size_t done = text.size();
    text.resize(done + take);
    char16_t* out = text.data() + done;
    if (high_byte) {
      for (std::size_t i = 0; i < take; ++i) out[i] = static_cast<char16_t>(get_u16(p + 2 * i));
    } else {
      for (std::size_t i = 0; i < take; ++i) out[i] = static_cast<unsigned char>(p[i]);
    }
    offset_ += take * width;
  }
  return text;
}

bool fits_compressed(std::u16string_view text) {
  for (char16_t c : text) {
    if (c > 0xFF) return false;
  }
  return true;
}

void append_chars(std::string& out, std::u16string_view text, bool compressed) {
  if (compressed) {
    for (char16_t c : text) out.push_back(static_cast<char>(c));
  } else {
    for (char16_t c : text) put_u16(out, c);
  }
}

void append_unicode_string(std::string& out, std::u16string_view text, bool short_count) {
  const bool compressed = fits_compressed(text);
  if (short_count) {
    put_u8(out, static_cast<std::uint8_t>(text.size()));
  } else {
    put_u16(out, static_cast<std::uint16_t>(text.size()));
  }
  put_u8(out, compressed ? 0 : kHighByte);
  append_chars(out, text, compressed);
}

bool read_unicode_string(std::string_view data, std::size_t& pos, bool short_count,
                         std::u16string& text) {
  const std::size_t count_size = short_count ? 1 : 2;
  if (data.size() < pos + count_size + 1) return false;
  const std::size_t count =
      short_count ? static_cast<unsigned char>(data[pos]) : get_u16(data.data() + pos);
  const std::uint8_t flags = static_cast<std::uint8_t>(data[pos + count_size]);
  pos += count_size + 1;
  const std::size_t width = (flags & kHighByte) ? 2 : 1;
  if (data.size() - pos < count * width) return false;
  text.clear();
  const char* p = data.data() + pos;
  for (std::size_t i = 0; i < count; ++i) {
    text.push_back(width == 2 ? static_cast<char16_t>(get_u16(p + 2 * i))
                              : static_cast<char16_t>(static_cast<unsigned char>(p[i])));
  }
  pos += count * width;
  return true;
}

}  // namespace xls
