#include "automation/cell_assignment.h"

#include "automation/number_format_kind.h"
#include "automation/typed_entry.h"
#include "xls/workbook.h"

namespace schreiber::automation {

void assign_cell_text(xls::Workbook& book, std::size_t sheet, std::int64_t row, std::int64_t column,
                      std::u16string_view text, int current_year) {
  const std::u16string format = book.number_format_at(sheet, row, column);
  // A text that begins with "=" is a formula, except in a cell formatted as Text (and after
  // an apostrophe, which the text then begins with).
  if (!text.empty() && text[0] == u'=' && number_format_kind(format) != FormatKind::text) {
    book.set_formula(sheet, row, column, text);
    return;
  }
  const TypedEntry entry = read_typed_entry(text, {format, book.date_1904(), current_year});
  switch (entry.kind) {
    case EntryKind::text:
      book.set_text(sheet, row, column, entry.text, entry.quote_prefix);
      return;
    case EntryKind::number:
      book.set_number(sheet, row, column, entry.number, entry.number_format);
      return;
    case EntryKind::boolean:
      book.set_boolean(sheet, row, column, entry.boolean);
      return;
    case EntryKind::error:
      book.set_error(sheet, row, column, entry.error_code);
      return;
    case EntryKind::empty:
      book.clear_value(sheet, row, column);
      return;
  }
}

}  // namespace schreiber::automation
