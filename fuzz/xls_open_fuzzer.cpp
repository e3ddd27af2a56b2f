// Opens arbitrary bytes as a workbook, reads every cell (and shows numbers in date and time
// formats), writes text, numbers with built-in and custom number formats, booleans, error
// values and quote-prefixed text into every sheet and serializes. Refusals (xls::Error) are fine; a
// crash, a hang, an escaped exception, or output the engine cannot open again is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xls/number_format_display.h"
#include "xls/workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string written;
  std::size_t sheets = 0;
  try {
    xls::Workbook workbook =
        xls::Workbook::open_bytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
    sheets = workbook.sheet_count();
    workbook.sheet_names();
    for (std::size_t sheet = 0; sheet < sheets; ++sheet) {
      for (const xls::Cell& cell : workbook.cells(sheet)) {
        if (cell.value.kind == xls::CellKind::number)
          xls::show_date_time(cell.value.number, cell.number_format, workbook.date_1904());
      }
      workbook.find_sheet(workbook.sheet_names()[sheet]);
    }
    for (std::size_t sheet = 0; sheet < sheets; ++sheet) {
      try {
        workbook.set_text(sheet, 3, 2, u"fuzz");
        workbook.set_text(sheet, 40, 1, u"\u0416\u0416");
        workbook.set_number(sheet, 3, 3, 0.5, u"0%");
        workbook.set_number(sheet, 4, 3, 2.41, u"0.000 \"V\"");
        workbook.set_number(sheet, 5, 3, 1.0 / 3);
        workbook.set_boolean(sheet, 3, 4, true);
        workbook.set_error(sheet, 3, 5, 0x07);
        workbook.set_text(sheet, 3, 6, u"001", true);
        workbook.number_format_at(sheet, 1, 1);
        workbook.cells(sheet);
      } catch (const xls::Error&) {  // not a worksheet, or its cell table is inconsistent
      }
    }
    written = workbook.to_bytes();
  } catch (const xls::Error&) {
    return 0;
  }
  // What the engine wrote, it must read again.
  try {
    const xls::Workbook again = xls::Workbook::open_bytes(written, "fuzz output");
    if (again.sheet_count() != sheets) std::abort();
    for (std::size_t sheet = 0; sheet < sheets; ++sheet) again.cells(sheet);
  } catch (const xls::Error&) {
    std::abort();
  }
  return 0;
}
