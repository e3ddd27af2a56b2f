// Reads texts the way a cell does, for the LibreOffice comparison script. Each input line
// is "TEXT<TAB>FORMAT<TAB>1904": TEXT and FORMAT as hex-encoded UTF-8 ("-" for an empty
// TEXT), 1904 as 0 or 1. Each output line is what the cell stores:
//   number<TAB>VALUE<TAB>FORMAT    (VALUE in shortest round-trip form, FORMAT as UTF-8)
//   text<TAB>HEX<TAB>QUOTED | boolean<TAB>0|1 | error<TAB>CODE | empty
// --year N sets the year of dates typed without one; --table prints the table test's
// rows as input lines instead.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "automation/typed_entry.h"
#include "automation/typed_entry_cases.h"
#include "xls/text.h"

namespace {

using schreiber::automation::EntryKind;

std::string hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::string unhex(std::string_view digits) {
  std::string out;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    unsigned value = 0;
    std::from_chars(digits.data() + i, digits.data() + i + 2, value, 16);
    out += static_cast<char>(value);
  }
  return out;
}

std::string shortest(double value) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace schreiber;
  int year = testing::kTableYear;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--table") == 0) {
      for (const auto& row : testing::typed_entry_cases()) {
        const auto text = hex(xls::utf16_to_utf8(row.text));
        std::cout << (text.empty() ? "-" : text) << '\t' << hex(xls::utf16_to_utf8(row.cell_format))
                  << '\t' << row.date_1904 << '\n';
      }
      return 0;
    }
    if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc) {
      year = std::atoi(argv[++i]);
    } else {
      std::cerr << "usage: typed_entry_probe [--year N] [--table]\n";
      return 2;
    }
  }
  std::string text_hex, format_hex, date_1904;
  while (std::cin >> text_hex >> format_hex >> date_1904) {
    const auto text = xls::utf8_to_utf16(unhex(text_hex == "-" ? "" : text_hex));
    const auto format = xls::utf8_to_utf16(unhex(format_hex));
    const automation::EntryContext context{format, date_1904 == "1", year};
    const auto entry = automation::read_typed_entry(text, context);
    switch (entry.kind) {
      case EntryKind::number:
        std::cout << "number\t" << shortest(entry.number) << '\t'
                  << xls::utf16_to_utf8(entry.number_format) << '\n';
        break;
      case EntryKind::text:
        std::cout << "text\t" << hex(xls::utf16_to_utf8(entry.text)) << '\t' << entry.quote_prefix
                  << '\n';
        break;
      case EntryKind::boolean:
        std::cout << "boolean\t" << entry.boolean << '\n';
        break;
      case EntryKind::error:
        std::cout << "error\t" << int{entry.error_code} << '\n';
        break;
      case EntryKind::empty:
        std::cout << "empty\n";
        break;
    }
  }
  return 0;
}
