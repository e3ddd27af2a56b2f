// The record structs the engine edits: each body read into named fields and written back
// gives the same bytes, and the fields the engine relies on read as they should.

#include <gtest/gtest.h>

#include <functional>

#include "biff_fixture.h"
#include "xls/cell_records.h"
#include "xls/format_records.h"
#include "xls/formula_records.h"
#include "xls/record_ids.h"
#include "xls/sheet_records.h"
#include "xls/workbook_records.h"

namespace xls_test {
namespace {

template <typename Record>
std::string round_trip(std::string_view body) {
  return Record::parse(body)->emit();
}

struct RoundTrip {
  const char* name;
  std::string body;
  std::function<std::string(std::string_view)> through;
  friend void PrintTo(const RoundTrip& value, std::ostream* out) { *out << value.name; }
};

const RoundTrip kRoundTrips[] = {
    {"row",
     // row 10, columns 2..5, height 300, reserved, unused, options (formatted, always set),
     // format 16 with a thick top border; then a byte past the fields, kept
     hex("0900 0200 0500 2C01 0000 0000 8001 1010 AA"), round_trip<xls::RowRecord>},
    {"dimensions",
     // rows 3..40 (end 41), columns 1..4 (end 5), reserved
     hex("02000000 29000000 0000 0500 0000"), round_trip<xls::DimensionsRecord>},
    {"index",
     // reserved, rows 0..69 (end 70), DEFCOLWIDTH at 0x200, DBCELLs at 0x400 and 0x800
     hex("00000000 00000000 46000000 00020000 00040000 00080000"), round_trip<xls::IndexRecord>},
    {"labelsst",  // row 1, column 3, format 15, string 7
     hex("0000 0200 0F00 07000000"), round_trip<xls::LabelSstRecord>},
    {"rk",  // row 2, column 1, format 16, integer 2 (2 << 2 | 2)
     hex("0100 0000 1000 0A000000"), round_trip<xls::RkRecord>},
    {"number",  // row 1, column 1, format 16, 1.5
     hex("0000 0000 1000 000000000000F83F"), round_trip<xls::NumberRecord>},
    {"boolerr",  // row 1, column 6, format 15, #DIV/0!: code 7, an error
     hex("0000 0500 0F00 07 01"), round_trip<xls::BoolErrRecord>},
    {"xf",
     // font 0, number format 14, type (locked, quote prefix, parent 0), bottom-aligned,
     // no rotation, no indent, uses its number format, no borders or fill pattern,
     // automatic fill colours
     hex("0000 0E00 0900 20 00 00 04 00000000 00000000 C020"), round_trip<xls::XfRecord>},
    {"format",  // index 164, "0.0%": 4 compressed characters
     hex("A400 0400 00 302E3025"), round_trip<xls::FormatRecord>},
    {"xfext",
     // header: id 0x087D, no flags, reserved; reserved, extends format 17; then its
     // properties, kept as they are
     hex("7D08 0000 0000000000000000 0000 1100 0000 0100 0400 0800 FF000000"),
     round_trip<xls::XfExtRecord>},
    {"xfcrc",
     // header: id 0x087C, no flags, reserved; reserved, 21 formats, checksum
     hex("7C08 0000 0000000000000000 0000 1500 78563412"), round_trip<xls::XfCrcRecord>},
    {"bof",
     // BIFF8, worksheet, build 0x0DBB, year 0x07CC, no history, readable from BIFF8
     hex("0006 1000 BB0D CC07 00000000 06000000"), round_trip<xls::BofRecord>},
    {"boundsheet",
     // at 0x0400, hidden, a chart, "Diagramm": 8 compressed characters
     hex("00040000 01 02 08 00 4469616772616D6D"), round_trip<xls::BoundSheetRecord>},
    {"recalcid",  // id 0x01C1, reserved, engine build 0x0002CB8B
     hex("C101 0000 8BCB0200"), round_trip<xls::RecalcIdRecord>},
    {"formula",
     // B3, format 15, a string result (type 0, marker 0xFFFF), shared, reserved, 5 bytes of
     // tokens: PtgExp to B3; then extra data, kept
     hex("0200 0100 0F00 0000 0000 0000 FFFF 0800 00000000 0500 01 0200 0100 AA"),
     round_trip<xls::FormulaRecord>},
    {"shrfmla",
     // B3:B9, reserved, 7 cells; 9 bytes: PtgRefN (value class) one column left, PtgInt 2,
     // PtgMul
     hex("0200 0800 01 01 00 07 0900 4C 0000 FF80 1E0200 05"),
     round_trip<xls::SharedFormulaRecord>},
    {"array",
     // K6:K8, options, reserved; 13 bytes: PtgAreaV C6:C8, PtgInt 2, PtgMul
     hex("0500 0700 0A 0A 0200 00000000 0D00 45 0500 0700 02C0 02C0 1E0200 05"),
     round_trip<xls::ArrayRecord>},
    {"table",  // B7:C9, options, the input cells: kept as they are
     hex("0600 0800 01 02 0000 0000 0000 0100 0000"), round_trip<xls::TableRecord>},
};

class RecordRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RecordRoundTrip, ReadAndWrittenBackGivesTheSameBytes) {
  EXPECT_EQ(GetParam().through(GetParam().body), GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(Records, RecordRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Records, FieldsTheEngineReliesOnAreReadByName) {
  const auto row = xls::RowRecord::parse(kRoundTrips[0].body);
  EXPECT_EQ(row->row, 9);
  EXPECT_TRUE(row->formatted());
  EXPECT_EQ(row->format_index(), 16);
  EXPECT_EQ(row->rest, "\xAA");

  // The short form older writers use: 16-bit rows.
  const auto short_form = xls::DimensionsRecord::parse(hex("0200 2900 0000 0500"));
  EXPECT_EQ(short_form->end_row, 41u);
  EXPECT_EQ(short_form->end_column, 5);

  const auto xf = xls::XfRecord::parse(kRoundTrips[7].body);
  EXPECT_TRUE(xf->quote_prefix());
  EXPECT_FALSE(xf->is_style());
  EXPECT_EQ(xf->number_format, 14);

  // A MULRK run of columns 1..3 split into a single RK and a shorter run.
  const std::string mulrk = hex("0100 0000 0F00 06000000 1000 0A000000 1100 0E000000 0200");
  const auto run = xls::CellRunRecord::parse(xls::rec::kMulRk, mulrk);
  ASSERT_TRUE(run && run->consistent());
  std::string body;
  EXPECT_EQ(run->emit_part(1, 1, body), xls::rec::kRk);
  EXPECT_EQ(body, hex("0100 0100 1000 0A000000"));
  body.clear();
  EXPECT_EQ(run->emit_part(1, 2, body), xls::rec::kMulRk);
  EXPECT_EQ(body, hex("0100 0100 1000 0A000000 1100 0E000000 0200"));

  // Distance back to the first ROW, then to each row's first cell.
  EXPECT_EQ((xls::DbCellRecord{0x64, {0, 0x1E}}.emit()), hex("64000000 0000 1E00"));
}

}  // namespace
}  // namespace xls_test
