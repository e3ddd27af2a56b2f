#pragma once
// A text assigned to a cell's value, stored the way the spreadsheet application stores it
// for a US-English automation client: read by the typed-entry rule in the cell's context
// (its number format, the workbook's date system, this year), then written as a number,
// a boolean, an error value, a text, or nothing at all; a text that begins with "=" becomes
// the cell's formula.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace xls {
class Workbook;
}

namespace schreiber::automation {

// Row and column count from 1. Throws what the engine throws (xls::Error) when it refuses.
void assign_cell_text(xls::Workbook& book, std::size_t sheet, std::int64_t row, std::int64_t column,
                      std::u16string_view text, int current_year);

}  // namespace schreiber::automation
