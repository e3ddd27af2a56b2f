#include "xls/entry_scan.h"

namespace xls::entry {

bool same_word(std::u16string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lower(text[i]) != static_cast<char16_t>(word[i])) return false;
  }
  return true;
}

std::u16string_view trim_blanks(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

bool Cursor::take(char16_t c) {
  if (at_end() || text_[pos_] != c) return false;
  ++pos_;
  return true;
}

std::u16string_view Cursor::digits() {
  const auto start = pos_;
  while (!at_end() && is_digit(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::u16string_view Cursor::letters() {
  const auto start = pos_;
  while (!at_end() && is_letter(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::size_t Cursor::blanks() {
  const auto start = pos_;
  while (take(u' ')) {
  }
  return pos_ - start;
}

int digits_value(std::u16string_view digits) {
  int value = 0;
  for (const auto c : digits) value = value * 10 + (c - u'0');
  return value;
}

}  // namespace xls::entry
