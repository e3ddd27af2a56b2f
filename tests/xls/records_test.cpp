// The record structs the engine edits: each body read into named fields as its comment
// reads them, and written back as the same bytes.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <type_traits>

#include "biff_fixture.h"
#include "xls/cell_records.h"
#include "xls/format_records.h"
#include "xls/formula_records.h"
#include "xls/record_ids.h"
#include "xls/sheet_records.h"
#include "xls/workbook_records.h"

namespace xls_test {
namespace {

// A record's fields in the order given, separated by spaces: numbers in decimal, bytes in
// hex, texts as they are (ASCII here). What the table below expects, written from each
// body's comment.
template <typename... Values>
std::string fields(const Values&... values) {
  std::ostringstream out;
  const auto show = [&out](const auto& value) {
    using T = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<T, std::string_view>) {
      out << ' ';
      for (const unsigned char c : value)
        out << "0123456789ABCDEF"[c >> 4] << "0123456789ABCDEF"[c & 15];
    } else if constexpr (std::is_same_v<T, std::u16string>) {
      out << ' ' << std::string(value.begin(), value.end());
    } else if constexpr (std::is_same_v<T, xls::CellHeader>) {
      out << ' ' << value.row << ' ' << value.column << ' ' << value.format;
    } else if constexpr (std::is_same_v<T, xls::CellRange>) {
      out << ' ' << value.first_row << ' ' << value.last_row << ' ' << int{value.first_column}
          << ' ' << int{value.last_column};
    } else {
      out << ' ' << +value;
    }
  };
  (show(values), ...);
  return out.str().substr(1);
}

struct Reading {
  std::string fields;
  std::string emitted;
};

template <typename Record>
std::function<Reading(std::string_view)> read_as(std::string (*describe)(const Record&)) {
  return [describe](std::string_view body) -> Reading {
    const auto record = Record::parse(body);
    if (!record) return {"unreadable", ""};
    return {describe(*record), record->emit()};
  };
}

struct RecordCase {
  const char* name;
  std::string body;
  std::string fields;  // as the comment above the body reads them
  std::function<Reading(std::string_view)> read;
  friend void PrintTo(const RecordCase& value, std::ostream* out) { *out << value.name; }
};

using namespace xls;

const RecordCase kRecords[] = {
    {"row",
     // row 9 (from 0), cell records in columns 2 to 4 (end 5), height 300 twips, reserved,
     // unused, options 0x180 (formatted, always set), format 16 with a thick top border
     // (0x1010); then a byte past the fields, kept
     hex("0900 0200 0500 2C01 0000 0000 8001 1010 AA"), "9 2 5 300 0 0 384 1 16 4112 AA",
     read_as<RowRecord>([](const RowRecord& r) {
       return fields(r.row, r.first_column, r.end_column, r.height, r.reserved, r.unused, r.options,
                     r.formatted(), r.format_index(), r.format, r.rest);
     })},
    {"dimensions",  // rows 2 to 40 (end 41), columns 0 to 4 (end 5), reserved
     hex("02000000 29000000 0000 0500 0000"), "2 41 0 5 0",
     read_as<DimensionsRecord>([](const DimensionsRecord& r) {
       return fields(r.first_row, r.end_row, r.first_column, r.end_column, r.reserved);
     })},
    {"index",
     // reserved, rows 0 to 69 (end 70), DEFCOLWIDTH at 0x200, DBCELLs at 0x400 and 0x800
     hex("00000000 00000000 46000000 00020000 00040000 00080000"), "0 0 70 512 2 1024 2048",
     read_as<IndexRecord>([](const IndexRecord& r) {
       return fields(r.reserved, r.first_row, r.end_row, r.default_width_at, r.dbcell_at.size(),
                     r.dbcell_at.at(0), r.dbcell_at.at(1));
     })},
    {"labelsst",  // row 0, column 2, format 15, string 7
     hex("0000 0200 0F00 07000000"), "0 2 15 7",
     read_as<LabelSstRecord>(
         [](const LabelSstRecord& r) { return fields(r.cell, r.string_index); })},
    {"rk",  // row 1, column 0, format 16, the integer 2 (2 << 2 | 2)
     hex("0100 0000 1000 0A000000"), "1 0 16 10",
     read_as<RkRecord>([](const RkRecord& r) { return fields(r.cell, r.rk); })},
    {"number",  // row 0, column 0, format 16, 1.5
     hex("0000 0000 1000 000000000000F83F"), "0 0 16 1.5",
     read_as<NumberRecord>([](const NumberRecord& r) { return fields(r.cell, r.value); })},
    {"boolerr",  // row 0, column 5, format 15, #DIV/0!: code 7, an error
     hex("0000 0500 0F00 07 01"), "0 5 15 7 1", read_as<BoolErrRecord>([](const BoolErrRecord& r) {
       return fields(r.cell, r.value, r.is_error);
     })},
    {"xf",
     // font 0, number format 14, type 9 (locked, quote prefix, parent 0), bottom-aligned,
     // no rotation, no indent, uses its number format, no borders or fill pattern,
     // automatic fill colours (0x20C0)
     hex("0000 0E00 0900 20 00 00 04 00000000 00000000 C020"), "0 14 9 1 0 32 0 0 4 0 0 8384 ",
     read_as<XfRecord>([](const XfRecord& r) {
       return fields(r.font, r.number_format, r.type, r.quote_prefix(), r.is_style(), r.alignment,
                     r.rotation, r.indent, r.used, r.borders, r.borders_and_fill, r.fill_colors,
                     r.rest);
     })},
    {"format",  // index 164, "0.0%": 4 compressed characters
     hex("A400 0400 00 302E3025"), "164 0.0%",
     read_as<FormatRecord>([](const FormatRecord& r) { return fields(r.index, r.code); })},
    {"xfext",
     // header: id 0x087D, no flags, reserved; reserved, extends format 17; then its
     // properties, kept as they are
     hex("7D08 0000 0000000000000000 0000 1100 0000 0100 0400 0800 FF000000"),
     "2173 0 0 0 17 0000010004000800FF000000", read_as<XfExtRecord>([](const XfExtRecord& r) {
       return fields(r.header.id, r.header.flags, r.header.reserved, r.reserved, r.format,
                     r.properties);
     })},
    {"xfcrc",
     // header: id 0x087C, no flags, reserved; reserved, 21 formats, checksum 0x12345678
     hex("7C08 0000 0000000000000000 0000 1500 78563412"), "2172 0 0 0 21 305419896 ",
     read_as<XfCrcRecord>([](const XfCrcRecord& r) {
       return fields(r.header.id, r.header.flags, r.header.reserved, r.reserved, r.format_count,
                     r.checksum, r.rest);
     })},
    {"bof",
     // BIFF8, worksheet, build 0x0DBB, year 0x07CC, no history, readable from BIFF8
     hex("0006 1000 BB0D CC07 00000000 06000000"), "1536 16 3515 1996 0 6",
     read_as<BofRecord>([](const BofRecord& r) {
       return fields(r.version, r.type, r.build, r.year, r.history, r.lowest_version);
     })},
    {"boundsheet",
     // at 0x0400, hidden, a chart, "Diagramm": 8 compressed characters
     hex("00040000 01 02 08 00 4469616772616D6D"), "1024 1 2 Diagramm",
     read_as<BoundSheetRecord>([](const BoundSheetRecord& r) {
       return fields(r.position, r.visibility, r.type, r.name);
     })},
    {"recalcid",  // id 0x01C1, reserved, engine build 0x0002CB8B
     hex("C101 0000 8BCB0200"), "449 0 183179 ",
     read_as<RecalcIdRecord>(
         [](const RecalcIdRecord& r) { return fields(r.id, r.reserved, r.engine_build, r.rest); })},
    {"formula",
     // B3 (row 2, column 1), format 15, a string result (type 0, marker 0xFFFF: no
     // number), shared, reserved, 5 bytes of tokens: PtgExp to B3; then extra data, kept
     hex("0200 0100 0F00 0000 0000 0000 FFFF 0800 00000000 0500 01 0200 0100 AA"),
     "2 1 15 0 0 8 0 0102000100 AA", read_as<FormulaRecord>([](const FormulaRecord& r) {
       return fields(r.cell, r.number.has_value(), r.result_type, r.options, r.reserved,
                     r.formula.tokens, r.formula.extra);
     })},
    {"shrfmla",
     // B3:B9, reserved, 7 cells; 9 bytes: PtgRefN (value class) one column left, PtgInt 2,
     // PtgMul
     hex("0200 0800 01 01 00 07 0900 4C 0000 FF80 1E0200 05"), "2 8 1 1 0 7 4C0000FF801E020005 ",
     read_as<SharedFormulaRecord>([](const SharedFormulaRecord& r) {
       return fields(r.range, r.reserved, r.uses, r.formula.tokens, r.formula.extra);
     })},
    {"array",
     // K6:K8, options 2, reserved; 13 bytes: PtgAreaV C6:C8, PtgInt 2, PtgMul
     hex("0500 0700 0A 0A 0200 00000000 0D00 45 0500 0700 02C0 02C0 1E0200 05"),
     "5 7 10 10 2 0 450500070002C002C01E020005", read_as<ArrayRecord>([](const ArrayRecord& r) {
       return fields(r.range, r.options, r.reserved, r.formula.tokens);
     })},
    {"table",  // B7:C9, options, the input cells: kept as they are
     hex("0600 0800 01 02 0000 0000 0000 0100 0000"), "6 8 1 2 00000000000001000000",
     read_as<TableRecord>([](const TableRecord& r) { return fields(r.range, r.rest); })},
};

class RecordFields : public ::testing::TestWithParam<RecordCase> {};

// Named fields as the body's comment reads them (a parser that only kept the raw bytes
// would fail here), and written back byte for byte.
TEST_P(RecordFields, ReadIntoNamedFieldsAndWrittenBackUnchanged) {
  const Reading reading = GetParam().read(GetParam().body);
  EXPECT_EQ(reading.fields, GetParam().fields);
  EXPECT_EQ(reading.emitted, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(Records, RecordFields, ::testing::ValuesIn(kRecords),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Records, ShortFormsAndSplitRunsAreReadAndWritten) {
  // The short form older writers use: 16-bit rows.
  const auto short_form = xls::DimensionsRecord::parse(hex("0200 2900 0000 0500"));
  EXPECT_EQ(short_form->end_row, 41u);
  EXPECT_EQ(short_form->end_column, 5);

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
