#pragma once
// Helpers for reading a typed entry: ASCII classes on UTF-16 text and a forward cursor.
// Only ASCII characters take part in numbers, dates and times; anything else ends a match.

#include <cstddef>
#include <string_view>

namespace xls::entry {

// A value read from an entry and the built-in format code it implies (empty: none).
struct ReadValue {
  double value = 0;
  std::u16string_view format;
};

inline bool is_digit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
inline bool is_letter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
inline char16_t lower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}

// True when text spells word (lower-case ASCII) in any case.
bool same_word(std::u16string_view text, std::string_view word);

// The text without the blanks (spaces) at either end.
std::u16string_view trim_blanks(std::u16string_view text);

class Cursor {
 public:
  explicit Cursor(std::u16string_view text) : text_(text) {}

  bool at_end() const { return pos_ == text_.size(); }
  char16_t peek() const { return at_end() ? u'\0' : text_[pos_]; }
  std::size_t position() const { return pos_; }
  void rewind(std::size_t position) { pos_ = position; }

  // Takes c when it comes next.
  bool take(char16_t c);
  // Takes a run of digits (possibly empty) and returns it.
  std::u16string_view digits();
  // Takes a run of ASCII letters (possibly empty) and returns it.
  std::u16string_view letters();
  // Takes a run of blanks and returns how many there were.
  std::size_t blanks();

 private:
  std::u16string_view text_;
  std::size_t pos_ = 0;
};

// The value of a run of at most nine digits.
int digits_value(std::u16string_view digits);

}  // namespace xls::entry
