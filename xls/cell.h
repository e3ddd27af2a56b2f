#pragma once
// A cell's content as read back from a sheet: what a spreadsheet would show in it.

#include <cstdint>
#include <string>

namespace xls {

enum class CellKind { blank, text, number, boolean, error };

struct CellValue {
  CellKind kind = CellKind::blank;
  std::u16string text;          // kind text
  double number = 0;            // kind number
  bool boolean = false;         // kind boolean
  std::uint8_t error_code = 0;  // kind error: the format's code (0x07 is #DIV/0!, ...)
  bool formula = false;         // the value is a formula's cached result

  bool operator==(const CellValue&) const = default;
};

struct Cell {
  std::uint32_t row = 0;     // from 1
  std::uint32_t column = 0;  // from 1
  CellValue value;
  std::u16string number_format;  // the code of its cell format's number format ("General", "0%")
  bool quote_prefix = false;     // its cell format marks the text as typed with an apostrophe

  bool operator==(const Cell&) const = default;
};

// The text a spreadsheet shows for the value in a cell formatted "General": numbers with
// up to 15 significant digits and no trailing zeros (3, 2.5, 1E+20), TRUE/FALSE, #DIV/0!.
std::u16string display_text(const CellValue& value);

// True for the codes of the seven error values a cell can hold (#NULL! ... #N/A).
bool is_error_code(std::uint8_t code);

}  // namespace xls
