#pragma once
// Unicode strings as BIFF8 stores them: a character count, a flags byte (bit 0: two bytes
// per character, else one byte, the "compressed" Latin-1 form) and the characters. Long
// strings continue in CONTINUE records, where character data restarts with a flags byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

inline constexpr std::uint8_t kHighByte = 0x01;
inline constexpr std::uint8_t kExtString = 0x04;
inline constexpr std::uint8_t kRichString = 0x08;

// Reads across the body of a record and the bodies of the CONTINUE records after it.
class ContinuedReader {
 public:
  explicit ContinuedReader(std::vector<std::string_view> parts) : parts_(std::move(parts)) {}

  // Moves past an exhausted part so that part()/offset() name where the next byte lies.
  // Returns false at the end of the last part.
  bool settle();
  std::size_t part() const { return part_; }
  std::size_t offset() const { return offset_; }

  std::uint8_t u8();
  std::uint16_t u16();
  std::uint32_t u32();
  void skip(std::size_t count);

  // Characters of a string whose flags said `high_byte`; at each part boundary a fresh
  // flags byte decides the width of what follows. Throws Error past the end.
  std::u16string chars(std::size_t count, bool high_byte);

 private:
  std::vector<std::string_view> parts_;
  std::size_t part_ = 0;
  std::size_t offset_ = 0;
};

// True when every character fits the one-byte form.
bool fits_compressed(std::u16string_view text);

// Appends the characters only, one or two bytes each as `compressed` says.
void append_chars(std::string& out, std::u16string_view text, bool compressed);

// A string with a 16-bit count (XLUnicodeString), as in LABEL and STRING records, or with
// `short_count` one of at most 255 characters with an 8-bit count (ShortXLUnicodeString),
// as in BOUNDSHEET records.
void append_unicode_string(std::string& out, std::u16string_view text, bool short_count = false);

// Reads a string with a 16-bit (or, for short ones, 8-bit) count from one record body;
// returns false when the body is too short.
bool read_unicode_string(std::string_view data, std::size_t& pos, bool short_count,
                         std::u16string& text);

}  // namespace xls
