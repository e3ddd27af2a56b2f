#include "automation/typed_entry.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "automation/number_format_kind.h"
#include "xls/entry_scan.h"
#include "xls/typed_entry_date_time.h"
#include "xls/typed_entry_fraction.h"
#include "xls/typed_entry_number.h"

namespace schreiber::automation {
namespace entry = xls::entry;
namespace {

TypedEntry kind_entry(EntryKind kind) {
  TypedEntry typed;
  typed.kind = kind;
  return typed;
}

TypedEntry text_entry(std::u16string_view text, bool quote_prefix = false) {
  TypedEntry typed;
  typed.text = std::u16string(text);
  typed.quote_prefix = quote_prefix;
  return typed;
}

// The error values a cell can hold, spelled as typed, with their codes.
std::optional<std::uint8_t> error_code(std::u16string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::uint8_t>, 7> kErrors = {{
      {"#null!", 0x00},
      {"#div/0!", 0x07},
      {"#value!", 0x0F},
      {"#ref!", 0x17},
      {"#name?", 0x1D},
      {"#num!", 0x24},
      {"#n/a", 0x2A},
  }};
  for (const auto& [spelling, code] : kErrors) {
    if (entry::same_word(text, spelling)) return code;
  }
  return std::nullopt;
}

// A cell that already shows this kind of value (a date format for a date, any percent
// format for a percentage, ...) keeps its own format; otherwise it gets the one the
// entry implies.
TypedEntry number_entry(const entry::ReadValue& read, FormatKind cell_kind) {
  auto typed = kind_entry(EntryKind::number);
  typed.number = read.value;
  if (read.format.empty()) return typed;
  if (cell_kind == FormatKind::general || number_format_kind(read.format) != cell_kind) {
    typed.number_format = std::u16string(read.format);
  }
  return typed;
}

}  // namespace

TypedEntry read_typed_entry(std::u16string_view text, const EntryContext& context) {
  if (text.empty()) return kind_entry(EntryKind::empty);
  // An apostrophe keeps the rest as text, whatever the cell's format.
  if (text.front() == u'\'') return text_entry(text.substr(1), true);
  const FormatKind cell_kind = number_format_kind(context.cell_format);
  if (cell_kind == FormatKind::text) return text_entry(text);
  // A formula in the application; there is no formula compiler here, so it stays text.
  if (text.front() == u'=') return text_entry(text);

  const auto trimmed = entry::trim_blanks(text);
  if (trimmed.empty()) return text_entry(text);
  const auto first = entry::lower(trimmed.front());
  if ((first == u't' || first == u'f') &&
      (entry::same_word(trimmed, "true") || entry::same_word(trimmed, "false"))) {
    auto typed = kind_entry(EntryKind::boolean);
    typed.boolean = entry::same_word(trimmed, "true");
    return typed;
  }
  if (const auto code = first == u'#' ? error_code(trimmed) : std::nullopt) {
    auto typed = kind_entry(EntryKind::error);
    typed.error_code = *code;
    return typed;
  }
  // Numbers, dates and times all hold a digit.
  if (std::none_of(trimmed.begin(), trimmed.end(), entry::is_digit)) return text_entry(text);
  if (const auto number = entry::read_number(trimmed)) {
    return number_entry(*number, cell_kind);
  }
  if (const auto fraction = entry::read_fraction(trimmed)) {
    return number_entry(*fraction, cell_kind);
  }
  if (const auto moment = entry::read_date_time(trimmed, context.date_1904, context.current_year)) {
    return number_entry(*moment, cell_kind);
  }
  return text_entry(text);
}

}  // namespace schreiber::automation
