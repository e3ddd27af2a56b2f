#include "xls/formula/cell_address.h"

#include "xls/entry_scan.h"

namespace xls::formula {
namespace {

constexpr std::uint32_t kRows = 65536, kColumns = 256;

// One corner of a reference: row and column from 0.
struct Corner {
  std::uint32_t row = 0, column = 0;
};

std::optional<std::uint32_t> number_at(entry::Cursor& cursor) {
  const auto digits = cursor.digits();
  if (digits.empty() || digits.size() > 7) return std::nullopt;
  return static_cast<std::uint32_t>(entry::digits_value(digits));
}

std::optional<Corner> a1_corner(entry::Cursor& cursor) {
  cursor.take(u'$');
  const auto letters = cursor.letters();
  if (letters.empty() || letters.size() > 3) return std::nullopt;
  std::uint32_t column = 0;
  for (const char16_t c : letters) column = column * 26 + (entry::lower(c) - u'a' + 1);
  cursor.take(u'$');
  const auto row = number_at(cursor);
  if (!row || *row < 1 || *row > kRows || column > kColumns) return std::nullopt;
  return Corner{*row - 1, column - 1};
}

// "R2", "R[-1]" or "R" (the context's own) and the same for C.
std::optional<std::uint32_t> r1c1_part(entry::Cursor& cursor, char16_t letter, std::uint32_t own,
                                       std::uint32_t limit) {
  if (entry::lower(cursor.peek()) != letter) return std::nullopt;
  cursor.take(cursor.peek());
  long value = own;
  if (cursor.take(u'[')) {
    const bool negative = cursor.take(u'-');
    const auto offset = number_at(cursor);
    if (!offset || !cursor.take(u']')) return std::nullopt;
    value += negative ? -static_cast<long>(*offset) : static_cast<long>(*offset);
  } else if (entry::is_digit(cursor.peek())) {
    value = static_cast<long>(*number_at(cursor)) - 1;
  }
  if (value < 0 || value >= static_cast<long>(limit)) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<Corner> r1c1_corner(entry::Cursor& cursor, Context& context) {
  const auto row = r1c1_part(cursor, u'r', context.row(), kRows);
  if (!row) return std::nullopt;
  const auto column = r1c1_part(cursor, u'c', context.column(), kColumns);
  if (!column) return std::nullopt;
  return Corner{*row, *column};
}

bool plain_name_character(char16_t c) {
  return entry::is_digit(c) || entry::is_letter(c) || c == u'_' || c == u'.' || c > 0x7F;
}

}  // namespace

std::u16string column_letters(std::uint32_t column) {
  std::u16string letters;
  for (std::uint32_t n = column + 1; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char16_t>(u'A' + (n - 1) % 26));
  }
  return letters;
}

std::u16string quoted_sheet_name(std::u16string_view name) {
  bool plain = !name.empty() && !entry::is_digit(name.front());
  for (const char16_t c : name) plain = plain && plain_name_character(c);
  if (plain) return std::u16string(name);
  std::u16string quoted = u"'";
  for (const char16_t c : name) {
    quoted += c;
    if (c == u'\'') quoted += c;
  }
  return quoted + u"'";
}

std::optional<Reference> parse_reference(std::u16string_view text, bool a1, Context& context) {
  Reference reference;
  reference.sheet = context.sheet();
  if (const auto bang = text.rfind(u'!'); bang != std::u16string_view::npos) {
    auto name = text.substr(0, bang);
    std::u16string unquoted;
    if (name.size() >= 2 && name.front() == u'\'' && name.back() == u'\'') {
      name = name.substr(1, name.size() - 2);
      for (std::size_t i = 0; i < name.size(); ++i) {
        unquoted += name[i];
        if (name[i] == u'\'' && i + 1 < name.size() && name[i + 1] == u'\'') ++i;
      }
    } else {
      unquoted = std::u16string(name);
    }
    const auto sheet = context.sheet_named(unquoted);
    if (!sheet) return std::nullopt;
    reference.sheet = *sheet;
    text = text.substr(bang + 1);
  }
  entry::Cursor cursor(text);
  const auto corner = [&]() { return a1 ? a1_corner(cursor) : r1c1_corner(cursor, context); };
  const auto first = corner();
  if (!first) return std::nullopt;
  auto last = first;
  if (cursor.take(u':')) last = corner();
  if (!last || !cursor.at_end()) return std::nullopt;
  reference.first_row = static_cast<std::uint16_t>(std::min(first->row, last->row));
  reference.last_row = static_cast<std::uint16_t>(std::max(first->row, last->row));
  reference.first_column = static_cast<std::uint16_t>(std::min(first->column, last->column));
  reference.last_column = static_cast<std::uint16_t>(std::max(first->column, last->column));
  return reference;
}

}  // namespace xls::formula
