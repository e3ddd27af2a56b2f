#pragma once
// What the spreadsheet application stores when a text is assigned to a cell's value by a
// US-English automation client: the text is read as if typed into the cell with US-English
// settings ("." decimal point, "," thousands groups, month/day/year dates). Pure: the
// caller supplies the cell's format, the workbook's date system and the current year.

#include <cstdint>
#include <string>
#include <string_view>

namespace schreiber::automation {

// empty: nothing is stored; the cell loses its value and keeps its format (an empty text).
enum class EntryKind { text, number, boolean, error, empty };

struct TypedEntry {
  EntryKind kind = EntryKind::text;
  std::u16string text;        // kind text: what is stored (a leading apostrophe removed)
  bool quote_prefix = false;  // kind text: the entry began with an apostrophe
  double number = 0;          // kind number: the value; dates and times as serials / day fractions
  bool boolean = false;       // kind boolean
  std::uint8_t error_code = 0;  // kind error: 0x00 #NULL!, 0x07 #DIV/0!, 0x0F #VALUE!, 0x17 #REF!,
                                // 0x1D #NAME?, 0x24 #NUM!, 0x2A #N/A
  std::u16string
      number_format;  // kind number: the format code the cell gets; empty = keep the cell's
  bool operator==(const TypedEntry&) const = default;
};

struct EntryContext {
  std::u16string_view cell_format = u"General";  // number format code in effect at the cell
  bool date_1904 = false;                        // the workbook's date system
  int current_year = 2000;                       // for dates typed without a year
};

TypedEntry read_typed_entry(std::u16string_view text, const EntryContext& context);

}  // namespace schreiber::automation
