// Writing text cells into hand-built workbooks: each kind of existing cell is replaced
// (keeping its format), runs are split around the new cell, the cell table is re-emitted
// in order with its DBCELL and INDEX records, and everything else stays as it was.

#include <gtest/gtest.h>

#include <algorithm>

#include "biff_fixture.h"
#include "stream_check.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

// Two rows holding one cell of every kind; all of row 1 is A1:G1, row 2 has a run of
// numbers in A2:C2 and a run of formatted blanks in E2:G2. Cell formats 15, 16 and 17.
std::string every_kind_of_cell() {
  const std::string table =
      record(0x0208,
             "0000 0000 0700 FF00 0000 0000 0001 0F00") +  // ROW 1: columns A..G, default height
      record(0x0203, "0000 0000 1000 000000000000F83F") +  // NUMBER A1, format 16: 1.5
      record(0x027E, "0000 0100 0F00 0A000000") +          // RK B1: integer 2 (2 << 2 | 2)
      record(0x00FD, "0000 0200 1100 00000000") +          // LABELSST C1, format 17: string 0
      record(0x0204, "0000 0300 0F00 0300 00 616263") +  // LABEL D1: 3 compressed characters "abc"
      record(0x0201, "0000 0400 1000") +                 // BLANK E1, format 16
      record(0x0205, "0000 0500 0F00 01 00") +           // BOOLERR F1: boolean TRUE
      // FORMULA G1, format 17: cached text result (00 .. FFFF), no flags, chn, 3 bytes: PtgInt 5
      record(0x0006, "0000 0600 1100 00 00 00 00 00 00 FFFF 0000 00000000 0300 1E0500") +
      record(0x0207, "0300 00 787978") +  // STRING: the formula's text "xyx"
      record(0x0208, "0100 0000 0700 FF00 0000 0000 0001 0F00") +  // ROW 2
      // MULRK A2:C2: (format 15, RK 1), (16, RK 2), (17, RK 3), last column C
      record(0x00BD, "0100 0000 0F00 06000000 1000 0A000000 1100 0E000000 0200") +
      record(0x00BE, "0100 0400 0F00 1000 1100 0600");  // MULBLANK E2:G2: formats 15, 16, 17
  return fixture_file(
      fixture_stream({u"geteilt"}, {{u"Data", 0, worksheet(table)}, {u"Rest", 0, worksheet("")}}));
}

struct Overwrite {
  const char* what;
  int row, column;
  int format;  // the cell's format before and after
  friend void PrintTo(const Overwrite& value, std::ostream* out) { *out << value.what; }
};

const Overwrite kOverwrites[] = {
    {"number", 1, 1, 16},
    {"rk", 1, 2, 15},
    {"shared_string", 1, 3, 17},
    {"label", 1, 4, 15},
    {"blank", 1, 5, 16},
    {"boolean", 1, 6, 15},
    {"formula_with_text", 1, 7, 17},
    {"run_start", 2, 1, 15},
    {"run_middle", 2, 2, 16},
    {"run_end", 2, 3, 17},
    {"gap_between_runs", 2, 4, 15},
    {"blank_run_middle", 2, 6, 16},
};

class OverwriteEachKind : public ::testing::TestWithParam<Overwrite> {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    write_file(*folder_ / "template.xls", every_kind_of_cell());
    before_ = new ReadBack(read_back({*folder_ / "template.xls"}).begin()->second);
  }
  static void TearDownTestSuite() {
    delete before_;
    delete folder_;
  }
  static TempFolder* folder_;
  static ReadBack* before_;
};
TempFolder* OverwriteEachKind::folder_ = nullptr;
ReadBack* OverwriteEachKind::before_ = nullptr;

TEST_P(OverwriteEachKind, CellHoldsTheTextWithItsFormatAndNothingElseChanges) {
  const Overwrite& c = GetParam();
  const std::string original = read_file(*folder_ / "template.xls");
  xls::Workbook workbook = xls::Workbook::open(*folder_ / "template.xls");
  workbook.set_text(0, c.row, c.column, u"neu");
  const auto out = *folder_ / (std::string(c.what) + ".xls");
  workbook.save_as(out);
  EXPECT_EQ(read_file(*folder_ / "template.xls"), original);

  ReadBack expected = *before_;
  expected.cells[{0, c.row, c.column}] = "1\t" + std::to_string(c.format) + "\t'neu'";
  const ReadBack after = read_back({out}).begin()->second;
  EXPECT_EQ(after.error, "");
  EXPECT_EQ(after.cells, expected.cells);

  // A formula's cached text goes with the formula.
  Report report = check_stream(workbook_stream(read_file(out)));
  EXPECT_EQ(report.problems, std::vector<std::string>{});
  EXPECT_EQ(report.record_counts[0x0207], std::string(c.what) == "formula_with_text" ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Cells, OverwriteEachKind, ::testing::ValuesIn(kOverwrites),
                         [](const auto& test) { return std::string(test.param.what); });

TEST(WorkbookEdit, RowsAcrossSeveralBlocksGetADbcellEachListedInTheIndex) {
  xls::Workbook workbook = xls::Workbook::create_blank();
  for (int row = 1; row <= 130; row += 3) {
    workbook.set_text(0, row, 1, u"r" + std::u16string(1, static_cast<char16_t>(u'a' + row % 26)));
    workbook.set_text(0, row, 2, u"x");
  }
  const Report report = check_stream(workbook_stream(workbook.to_bytes()));
  EXPECT_EQ(report.problems, std::vector<std::string>{});
  EXPECT_EQ(report.record_counts.at(0x00D7), 5u);  // rows 1-32, 33-64, 65-96, 97-128, 129-130
  EXPECT_EQ(workbook.cells(0).size(), 88u);
}

TEST(WorkbookEdit, NewCellTakesItsRowOrColumnFormat) {
  const std::string stream = fixture_stream(
      {},
      {{u"Data", 0,
        worksheet(
            record(
                0x0208,
                "0900 0000 0000 FF00 0000 0000 8001 1000"),  // ROW 10: formatted (0x80), format 16
            record(0x007D, "0300 0400 0009 1100 0000 0000"))}});  // COLINFO D:E, width, format 17
  xls::Workbook workbook = xls::Workbook::open_bytes(fixture_file(stream));
  workbook.set_text(0, 10, 1, u"row");
  workbook.set_text(0, 5, 4, u"column");
  workbook.set_text(0, 5, 6, u"plain");
  TempFolder folder;
  workbook.save_as(folder / "formats.xls");
  const ReadBack read = read_back({folder / "formats.xls"}).begin()->second;
  EXPECT_EQ(read.cells.at({0, 10, 1}), "1\t16\t'row'");
  EXPECT_EQ(read.cells.at({0, 5, 4}), "1\t17\t'column'");
  EXPECT_EQ(read.cells.at({0, 5, 6}), "1\t15\t'plain'");
}

// Formulas that span cells, and a cell written twice by its producer. Hex of each record:
// FORMULA is cell, result (8 bytes), options (0x0008 shared), reserved, token count, tokens.
const std::string kSharedA1 =  // FORMULA A1: 4.0, shared; PtgExp to A1
    record(0x0006, "0000 0000 0F00 0000000000001040 0800 00000000 0500 01 0000 0000");
const std::string kSharedFormula =
    // SHRFMLA A1:C1, reserved, 3 cells; 9 bytes: PtgRefN (value class) one row down, same
    // column (both relative), PtgInt 2, PtgMul: "the cell below, times 2"
    record(0x04BC, "0000 0000 00 02 00 03 0900 4C 0100 00C0 1E0200 05");
const std::string kSharedB1 =  // FORMULA B1: 6.0, shared; PtgExp to A1
    record(0x0006, "0000 0100 0F00 0000000000001840 0800 00000000 0500 01 0000 0000");
const std::string kSharedC1 =  // FORMULA C1: 8.0, shared; PtgExp to A1
    record(0x0006, "0000 0200 0F00 0000000000002040 0800 00000000 0500 01 0000 0000");
// B1 and C1 with the shared formula as their own: PtgRef (value class) to B2 and C2, both
// relative (0xC000 with the column), PtgInt 2, PtgMul; no longer shared.
const std::string kOwnB1 =
    record(0x0006, "0000 0100 0F00 0000000000001840 0000 00000000 0900 44 0100 01C0 1E0200 05");
const std::string kOwnC1 =
    record(0x0006, "0000 0200 0F00 0000000000002040 0000 00000000 0900 44 0100 02C0 1E0200 05");
const std::string kArrayA4 =  // FORMULA A4: 7.0; PtgExp to A4
    record(0x0006, "0300 0000 0F00 0000000000001C40 0000 00000000 0500 01 0300 0000");
const std::string kArrayRecord =  // ARRAY A4:B4, no options, reserved; 3 bytes: PtgInt 7
    record(0x0221, "0300 0300 00 01 0000 00000000 0300 1E0700");
const std::string kArrayB4 =  // FORMULA B4: 7.0; PtgExp to A4
    record(0x0006, "0300 0100 0F00 0000000000001C40 0000 00000000 0500 01 0300 0000");
const std::string kSingleArray =  // FORMULA A5 and its ARRAY over A5 alone: PtgInt 9
    record(0x0006, "0400 0000 0F00 0000000000002240 0000 00000000 0500 01 0400 0000") +
    record(0x0221, "0400 0400 00 00 0000 00000000 0300 1E0900");
const std::string kDataTable =
    // FORMULA B7: PtgTbl naming B7; TABLE B7:B7, options, input row cell A1, input column
    // cell A2 (rows and columns from 0)
    record(0x0006, "0600 0100 0F00 0000000000000000 0000 00000000 0500 02 0600 0100") +
    record(0x0236, "0600 0600 01 01 0000 0000 0000 0100 0000");
const std::string kTwiceA9 =
    record(0x00FD, "0800 0000 0F00 00000000") +         // LABELSST A9: string 0 "früher"
    record(0x0203, "0800 0000 0F00 0000000000C05840");  // NUMBER A9 again: 99.0

std::string formula_cells() {
  return fixture_file(fixture_stream(
      {u"früher"}, {{u"Data", 0,
                     worksheet(kSharedA1 + kSharedFormula + kSharedB1 + kSharedC1 + kArrayA4 +
                               kArrayRecord + kArrayB4 + kSingleArray + kDataTable + kTwiceA9)}}));
}

struct FormulaWrite {
  const char* what;
  int row, column;
  const char* refusal;            // the description's start, or nullptr when accepted
  std::vector<std::string> kept;  // records (or runs of them) the sheet still holds
  std::vector<std::string> gone;  // and those it no longer does
  friend void PrintTo(const FormulaWrite& value, std::ostream* out) { *out << value.what; }
};

const FormulaWrite kFormulaWrites[] = {
    {"first_cell_of_a_shared_formula", 1, 1, nullptr, {kOwnB1, kOwnC1}, {kSharedFormula}},
    {"middle_cell_of_a_shared_formula", 1, 2, nullptr, {kSharedA1 + kSharedFormula, kSharedC1}, {}},
    {"last_cell_of_a_shared_formula", 1, 3, nullptr, {kSharedA1 + kSharedFormula + kSharedB1}, {}},
    {"first_cell_of_an_array", 4, 1, "You can't change part of an array.", {}, {}},
    {"other_cell_of_an_array", 4, 2, "You can't change part of an array.", {}, {}},
    {"single_cell_array", 5, 1, nullptr, {kArrayA4 + kArrayRecord + kArrayB4}, {kSingleArray}},
    {"data_table_result", 7, 2, "Cannot change part of a data table.", {}, {}},
    {"cell_written_twice", 9, 1, nullptr, {}, {kTwiceA9}},
    {"beside_a_cell_written_twice", 9, 2, nullptr, {}, {kTwiceA9}},
};

class FormulaCells : public ::testing::TestWithParam<FormulaWrite> {};

TEST_P(FormulaCells, ChangeOnlyTheCellWrittenOrAreRefusedAsTheApplicationRefuses) {
  const FormulaWrite& write = GetParam();
  xls::Workbook workbook = xls::Workbook::open_bytes(formula_cells());
  EXPECT_EQ(workbook.cell(0, 9, 1)->value.number, 99.0) << "the later record is the cell";
  const std::string before = workbook.to_bytes();
  try {
    workbook.set_number(0, write.row, write.column, 1.25);
    EXPECT_EQ(write.refusal, nullptr) << "accepted";
  } catch (const xls::Error& error) {
    ASSERT_NE(write.refusal, nullptr) << error.what();
    EXPECT_EQ(error.kind(), xls::ErrorKind::refused);
    EXPECT_EQ(std::string(error.what()).rfind(write.refusal, 0), 0u) << error.what();
    EXPECT_EQ(workbook.to_bytes(), before);
    return;
  }
  const std::string stream = workbook_stream(workbook.to_bytes());
  EXPECT_EQ(check_stream(stream).problems, std::vector<std::string>{});
  for (const std::string& records : write.kept) EXPECT_NE(stream.find(records), std::string::npos);
  for (const std::string& records : write.gone) EXPECT_EQ(stream.find(records), std::string::npos);
  EXPECT_EQ(workbook.cell(0, write.row, write.column)->value.number, 1.25);
  EXPECT_EQ(workbook.cell(0, 9, 1)->value.number,
            write.row == 9 && write.column == 1 ? 1.25 : 99.0);
  const auto cells = workbook.cells(0);
  EXPECT_EQ(std::count_if(cells.begin(), cells.end(),
                          [](const xls::Cell& cell) { return cell.row == 9 && cell.column == 1; }),
            1);
}

INSTANTIATE_TEST_SUITE_P(Formulas, FormulaCells, ::testing::ValuesIn(kFormulaWrites),
                         [](const auto& test) { return std::string(test.param.what); });

// A worksheet, a chart sheet, a macro sheet and another worksheet.
std::string mixed_sheets() {
  const std::string chart =
      record(0x0809, "0006 2000 BB0D CC07 00000000 06000000") +  // BOF: chart
      record(0x1002, "00000000 00000000 0000E001 00006801") +    // CHART: position, size
      record(0x1033, "") + record(0x1034, "") +                  // BEGIN, END
      record(0x000A, "");                                        // EOF
  const std::string macros =
      record(0x0809, "0006 4000 BB0D CC07 00000000 06000000") +  // BOF: macro sheet
      record(0x0200, "00000000 01000000 0000 0100 0000") +       // DIMENSIONS: A1
      record(0x0203, "0000 0000 0F00 0000000000000840") +        // NUMBER A1: 3
      record(0x000A, "");                                        // EOF
  return fixture_file(fixture_stream(
      {u"zwei"}, {{u"Data", 0, worksheet("")},
                  {u"Diagramm", 2, chart},
                  {u"Makro", 1, macros},
                  {u"Zweite", 0,
                   worksheet(record(0x00FD, "0000 0000 0F00 00000000"),  // LABELSST A1
                             "", "00000000 01000000 0000 0100 0000")}}));
}

std::vector<std::string> substreams(const std::string& stream) {
  const Report report = check_stream(stream);
  std::vector<std::string> out;
  for (std::size_t k = 0; k < report.sheet_offsets.size(); ++k) {
    const std::size_t end =
        k + 1 < report.sheet_offsets.size() ? report.sheet_offsets[k + 1] : stream.size();
    out.push_back(stream.substr(report.sheet_offsets[k], end - report.sheet_offsets[k]));
  }
  return out;
}

TEST(WorkbookEdit, OtherSheetsOfEveryKindKeepTheirBytes) {
  const std::string file = mixed_sheets();
  xls::Workbook workbook = xls::Workbook::open_bytes(file);
  EXPECT_EQ(workbook.sheet_kind(1), xls::SheetKind::chart);
  EXPECT_EQ(workbook.sheet_kind(2), xls::SheetKind::macro_sheet);
  for (int row = 1; row <= 50; ++row) workbook.set_text(0, row, 3, u"viel mehr Text als vorher");
  const auto before = substreams(workbook_stream(file));
  const auto after = substreams(workbook_stream(workbook.to_bytes()));
  ASSERT_EQ(after.size(), 4u);
  EXPECT_NE(after[0], before[0]);
  for (std::size_t k = 1; k < 4; ++k) EXPECT_EQ(after[k], before[k]) << "sheet " << k;
  EXPECT_EQ(check_stream(workbook_stream(workbook.to_bytes())).problems,
            std::vector<std::string>{});
  EXPECT_EQ(workbook.cell(3, 1, 1)->value.text, u"zwei");
}

TEST(WorkbookEdit, ChartSheetRefusesCellsAndStaysUnchanged) {
  xls::Workbook workbook = xls::Workbook::open_bytes(mixed_sheets());
  const std::string before = workbook.to_bytes();
  try {
    workbook.set_text(1, 1, 1, u"x");
    FAIL() << "wrote into a chart";
  } catch (const xls::Error& error) {
    EXPECT_EQ(error.kind(), xls::ErrorKind::no_such_cell);
    EXPECT_NE(std::string(error.what()).find("Diagramm"), std::string::npos);
  }
  EXPECT_EQ(workbook.to_bytes(), before);
}

struct Limit {
  const char* what;
  std::int64_t row, column;
  std::size_t length;
  const char* named;  // in the description
  xls::ErrorKind kind;
  friend void PrintTo(const Limit& value, std::ostream* out) { *out << value.what; }
};

constexpr auto kOutside = xls::ErrorKind::no_such_cell;
const Limit kLimits[] = {
    {"row_65537", 65537, 1, 1, "65536", kOutside},
    {"row_0", 0, 1, 1, "65536", kOutside},
    {"column_257", 1, 257, 1, "256", kOutside},
    {"column_0", 1, 0, 1, "256", kOutside},
    {"text_32768", 1, 1, 32768, "32767", xls::ErrorKind::bad_value},
};

class BeyondTheLimits : public ::testing::TestWithParam<Limit> {};

TEST_P(BeyondTheLimits, AreRefusedAndChangeNothing) {
  xls::Workbook workbook = xls::Workbook::open_bytes(every_kind_of_cell());
  const std::string before = workbook.to_bytes();
  const Limit& limit = GetParam();
  try {
    workbook.set_text(0, limit.row, limit.column, std::u16string(limit.length, u'x'));
    FAIL() << "accepted " << limit.what;
  } catch (const xls::Error& error) {
    EXPECT_EQ(error.kind(), limit.kind);
    EXPECT_NE(std::string(error.what()).find(limit.named), std::string::npos) << error.what();
  }
  EXPECT_EQ(workbook.to_bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(Limits, BeyondTheLimits, ::testing::ValuesIn(kLimits),
                         [](const auto& test) { return std::string(test.param.what); });

TEST(WorkbookEdit, LargestCellsAtTheEdgesOfTheSheetAreAccepted) {
  xls::Workbook workbook = xls::Workbook::open_bytes(every_kind_of_cell());
  const std::u16string longest(32767, u'Ж');
  workbook.set_text(0, 65536, 256, longest);
  const xls::Workbook reopened = xls::Workbook::open_bytes(workbook.to_bytes());
  EXPECT_EQ(reopened.cell(0, 65536, 256)->value.text, longest);
  EXPECT_EQ(check_stream(workbook_stream(workbook.to_bytes())).problems,
            std::vector<std::string>{});
}

TEST(WorkbookEdit, RecalculationOnLoadIsRequestedOnlyWhenSomethingChanged) {
  const std::string stream =
      fixture_stream({}, {{u"Data", 0, worksheet("")}},
                     record(0x01C1, "C101 0000 548D0100"));  // RECALCID: engine 101716
  const std::string file = fixture_file(stream);
  EXPECT_EQ(workbook_stream(xls::Workbook::open_bytes(file).to_bytes()), stream);
  xls::Workbook workbook = xls::Workbook::open_bytes(file);
  workbook.set_text(0, 1, 1, u"x");
  EXPECT_EQ(check_stream(workbook_stream(workbook.to_bytes())).recalc_engine, 0u);
}

TEST(WorkbookEdit, WorkbookWithoutSharedStringsGetsATable) {
  const std::string table = record(0x0204, "0000 0000 0F00 0200 00 6869");  // LABEL A1: "hi"
  xls::Workbook workbook = xls::Workbook::open_bytes(
      fixture_file(fixture_stream({}, {{u"Data", 0, worksheet(table)}}, "", false)));
  EXPECT_EQ(workbook.cell(0, 1, 1)->value.text, u"hi");
  workbook.set_text(0, 2, 1, u"neu");
  TempFolder folder;
  workbook.save_as(folder / "sst.xls");
  const Report report = check_stream(workbook_stream(read_file(folder / "sst.xls")));
  EXPECT_EQ(report.problems, std::vector<std::string>{});
  EXPECT_EQ(report.strings, std::vector<std::u16string>{u"neu"});
  const ReadBack read = read_back({folder / "sst.xls"}).begin()->second;
  EXPECT_EQ(read.cells.at({0, 1, 1}), "1\t15\t'hi'");
  EXPECT_EQ(read.cells.at({0, 2, 1}), "1\t15\t'neu'");
}

}  // namespace
}  // namespace xls_test
