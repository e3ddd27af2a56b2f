// Saving computes the formulas that written cells affect, in the order they read each other,
// and stores their results; formulas the engine cannot compute, those reading them and
// circles keep the results the file had. A hand-built sheet in hex, read back after saving.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "biff_fixture.h"
#include "xls/text.h"
#include "xls/workbook.h"

namespace xls_test {
namespace {

// NUMBER: cell (row, column, cell format 15), then the value. FORMULA: cell, stored result
// (8 bytes), options (0x0008 shared), reserved, token count, tokens. Tokens: PtgRef 44 (value
// class; row, then column with 0xC000 for relative), PtgInt 1E, PtgStr 17, PtgRef3d 5A (sheet
// reference entry first), PtgRefN 4C (offsets), PtgExp 01; operators 03 + 05 * 06 / 08 & 0D >.
std::string sheet_cells() {
  return record(0x0203, "0000 0000 0F00 000000000000F03F") +  // A1 1
         record(0x0006,
                "0000 0100 0F00 0000000000000000 0000 00000000 0B00 "
                "44 0000 00C0 44 0100 00C0 03") +  // B1 =A1+A2, stored 0
         record(0x0006,
                "0000 0200 0F00 0000000000C05840 0000 00000000 0C00 "
                "5A 0500 0000 0000 44 0000 00C0 03") +  // C1 =[entry 5]A1+A1, 99
         record(0x0006,
                "0000 0300 0F00 0000000000001C40 0000 00000000 0B00 "
                "44 0100 03C0 44 0000 00C0 03") +  // D1 =D2+A1, stored 7
         record(0x0006,
                "0000 0400 0F00 0000000000000000 0000 00000000 0A00 "
                "44 0000 00C0 1701 00 78 08") +  // E1 =A1&"x"
         record(0x0006,
                "0000 0500 0F00 0000000000000000 0000 00000000 0700 "
                "1E0200 1E0300 05") +  // F1 =2*3, stored 0
         // G1:G3 share =A1*2 (A2*2, A3*2 below): stored 2, 4, 6
         record(0x0006, "0000 0600 0F00 0000000000000040 0800 00000000 0500 01 0000 0600") +
         record(0x04BC, "0000 0200 06 06 00 03 0900 4C 0000 FAC0 1E0200 05") +
         record(0x0203, "0100 0000 0F00 0000000000000040") +  // A2 2
         record(0x0006,
                "0100 0100 0F00 0000000000000000 0000 00000000 0900 "
                "44 0000 01C0 1E0A00 05") +  // B2 =B1*10
         record(0x0006,
                "0100 0200 0F00 0000000000001440 0000 00000000 0900 "
                "44 0000 02C0 1E0100 03") +  // C2 =C1+1, stored 5
         record(0x0006,
                "0100 0300 0F00 0000000000002040 0000 00000000 0900 "
                "44 0000 03C0 1E0100 03") +  // D2 =D1+1, stored 8
         record(0x0006,
                "0100 0400 0F00 0000000000000000 0000 00000000 0900 "
                "44 0000 00C0 1E0400 0D") +  // E2 =A1>4
         record(0x0006,
                "0100 0500 0F00 010000000000FFFF 0000 00000000 0700 "
                "41 4A00 1E0100 0D") +  // F2 =NOW()>1, stored FALSE
         record(0x0006, "0100 0600 0F00 0000000000001040 0800 00000000 0500 01 0000 0600") +
         record(0x0203, "0200 0000 0F00 0000000000000840") +  // A3 3
         record(0x0006,
                "0200 0400 0F00 0000000000000000 0000 00000000 0D00 "
                "1E0100 44 0000 00C0 1E0500 04 06") +  // E3 =1/(A1-5)
         record(0x0006, "0200 0600 0F00 0000000000001840 0800 00000000 0500 01 0000 0600");
}

// Sheet "Kette": H1 =H2+1, H2 =H3+1, ... H3000 =A1: each reads the row below.
std::string chain_cells() {
  std::string cells = record(0x0203, "0000 0000 0F00 0000000000000000");  // A1 0
  for (int row = 0; row < 3000; ++row) {
    std::string body = hex("0000 0700 0F00 0000000000000000 0000 00000000");
    body[0] = static_cast<char>(row & 0xFF);
    body[1] = static_cast<char>(row >> 8);
    if (row + 1 < 3000) {
      std::string tokens = hex("0900 44 0000 07C0 1E0100 03");
      tokens[3] = static_cast<char>((row + 1) & 0xFF);
      tokens[4] = static_cast<char>((row + 1) >> 8);
      body += tokens;
    } else {
      body += hex("0500 44 0000 00C0");
    }
    cells += raw_record(0x0006, body);
  }
  return cells;
}

xls::Workbook workbook() {
  return xls::Workbook::open_bytes(fixture_file(fixture_stream(
      {}, {{u"Data", 0, worksheet(sheet_cells())}, {u"Kette", 0, worksheet(chain_cells())}})));
}

std::string shown(const xls::Workbook& book, std::size_t sheet, int row, int column) {
  const auto cell = book.cell(sheet, row, column);
  if (!cell) return "none";
  return xls::utf16_to_utf8(xls::display_text(cell->value));
}

struct Expected {
  const char* cell;
  int row, column;
  const char* after_writes;   // A1 := 5 on Data and on Kette
  const char* every_formula;  // nothing written, every formula computed
};

const Expected kExpected[] = {
    {"B1 reads A1", 1, 2, "7", "3"},
    {"B2 reads B1", 2, 2, "70", "30"},
    {"C1 other workbook keeps", 1, 3, "99", "99"},
    {"C2 reads C1 keeps", 2, 3, "5", "5"},
    {"D1 circle keeps", 1, 4, "7", "7"},
    {"D2 circle keeps", 2, 4, "8", "8"},
    {"E1 text", 1, 5, "5x", "1x"},
    {"E2 boolean", 2, 5, "TRUE", "FALSE"},
    {"E3 error", 3, 5, "#DIV/0!", "-0.25"},
    {"F1 reads nothing written", 1, 6, "0", "6"},
    {"F2 volatile", 2, 6, "TRUE", "TRUE"},
    {"G1 shared, reads A1", 1, 7, "10", "2"},
    {"G2 shared, reads A2", 2, 7, "4", "4"},
    {"G3 shared, reads A3", 3, 7, "6", "6"},
};

TEST(FormulaComputation, SavingComputesWhatWritesAffectAndKeepsWhatItCannotCompute) {
  xls::Workbook book = workbook();
  book.set_number(0, 1, 1, 5);
  book.set_number(1, 1, 1, 5);
  const xls::Workbook saved = xls::Workbook::open_bytes(book.to_bytes());
  for (const Expected& expected : kExpected)
    EXPECT_EQ(shown(saved, 0, expected.row, expected.column), expected.after_writes)
        << expected.cell;
  EXPECT_EQ(shown(saved, 1, 1, 8), "3004") << "H1 at the top of a chain of 3000 formulas";
  EXPECT_EQ(shown(saved, 1, 3000, 8), "5");
}

TEST(FormulaComputation, EveryFormulaOnRequest) {
  xls::Workbook book = workbook();
  book.compute_every_formula_on_save();
  const xls::Workbook saved = xls::Workbook::open_bytes(book.to_bytes());
  for (const Expected& expected : kExpected)
    EXPECT_EQ(shown(saved, 0, expected.row, expected.column), expected.every_formula)
        << expected.cell;
  EXPECT_EQ(shown(saved, 1, 1, 8), "2999");
}

}  // namespace
}  // namespace xls_test
