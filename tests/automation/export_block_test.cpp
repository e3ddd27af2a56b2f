// ExportBlock against a recording stand-in for the spreadsheet application: the cells of
// each field, the order of the calls, and every failure path of the attach and the
// writing.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "automation/export_harness.h"
#include "support/fake_excel.h"

namespace schreiber::testing {
namespace {

using Row = std::map<int, std::string>;  // column -> text

const std::string kStx = "\x02";
const std::string kEtx = "\x03";

class ExportBlockTest : public ::testing::Test {
 protected:
  ExportBlockTest() { write_file(h.folder / "FILES/Vor/1.xls", "template bytes"); }

  Row row(const std::string& workbook, int r) {
    Row out;
    for (const auto& [cell, text] : log->cells[workbook]) {
      if (cell.first == r) out[cell.second] = text;
    }
    return out;
  }
  int rows_written(const std::string& workbook) {
    std::set<int> rows;
    for (const auto& [cell, text] : log->cells[workbook]) rows.insert(cell.first);
    return static_cast<int>(rows.size());
  }

  std::shared_ptr<FakeExcelLog> log = std::make_shared<FakeExcelLog>();
  ExportHarness h{make_fake_automation(log)};
};

struct SplitCase {
  const char* name;
  std::string field;
  Row cells;
};

class SplitRule : public ExportBlockTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitRule, FieldOneBecomesRowSixWithEndMarker) {
  h.set_block(0, {"001" + kStx + "hdr", GetParam().field}, 1);
  h.run(0, "w.xls", "1.xls");
  EXPECT_EQ(row("w.xls", 6), GetParam().cells);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitRule,
    ::testing::Values(
        SplitCase{"labelAndSubfields",
                  "H" + kStx + "12" + kEtx + "7",
                  {{1, "H"}, {2, "12"}, {3, "7"}, {4, "*'*"}}},
        SplitCase{"trailingEtxStaysInTheLastCell", "ab" + kEtx, {{1, "ab" + kEtx}, {2, "*'*"}}},
        SplitCase{"leadingSeparatorsGiveEmptyCells",
                  kStx + kEtx + "x",
                  {{1, ""}, {2, ""}, {3, "x"}, {4, "*'*"}}},
        SplitCase{"twoPlainCharacters", "ab", {{1, "ab"}, {2, "*'*"}}},
        SplitCase{"sohSplitsToo",
                  "a\x01"
                  "b",
                  {{1, "a"}, {2, "b"}, {3, "*'*"}}},
        SplitCase{"otherControlBytesStay", "a\x14\x11\tb", {{1, "a\x14\x11\tb"}, {2, "*'*"}}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ExportBlockTest, NormalisedHeaderFillsRowFiveAndOkComesLast) {
  const std::string header = "001" + kStx + "a" + kEtx + "b.xls" + kEtx + "1" + kEtx + "1" + kEtx +
                             "kein Kommentar" + kEtx + "07/03/2031";
  h.set_block(0, {header, "M" + kStx + "c"}, 2);
  EXPECT_FALSE(h.run(0, "a_20310307_1405.xls", "1.xls"));
  EXPECT_EQ(row("a_20310307_1405.xls", 5), (Row{{1, "001"},
                                                {2, "a"},
                                                {3, "b.xls"},
                                                {4, "1"},
                                                {5, "1"},
                                                {6, "kein Kommentar"},
                                                {7, "07/03/2031"},
                                                {8, "*'*"}}));
  EXPECT_EQ(row("a_20310307_1405.xls", 6), (Row{{1, "M"}, {2, "c"}, {3, "*'*"}}));
  EXPECT_EQ(rows_written("a_20310307_1405.xls"), 3);  // rows 1, 5 and 6
  EXPECT_EQ(log->calls[log->calls.size() - 3], "Cells(1,1)=OK");
  EXPECT_EQ(log->calls.back(), "Close True a_20310307_1405.xls");
  EXPECT_TRUE(h.module1.ExcelStarted);
}

TEST_F(ExportBlockTest, AShortFieldEndsTheLoopAndLaterFieldsAreNotWritten) {
  h.set_block(0, {"001" + kStx + "x", "ab", "c", "later field"}, 3);
  h.run(0, "w.xls", "1.xls");
  EXPECT_EQ(rows_written("w.xls"), 3);  // OK, rows 5 and 6
  EXPECT_TRUE(row("w.xls", 7).empty());
  EXPECT_TRUE(row("w.xls", 8).empty());
  EXPECT_EQ(row("w.xls", 1), (Row{{1, "OK"}}));
}

TEST_F(ExportBlockTest, ShortFieldZeroWritesOnlyOk) {
  h.set_block(0, {"x", "ab"}, 1);
  h.run(0, "w.xls", "1.xls");
  EXPECT_EQ(log->cells["w.xls"], (std::map<std::pair<int, int>, std::string>{{{1, 1}, "OK"}}));
  EXPECT_EQ(log->saved, (std::vector<std::string>{"w.xls"}));
}

TEST_F(ExportBlockTest, EveryFieldUpToTheBoundIsWritten) {
  h.set_block(0, {"h" + kStx, "f1", "f2", "f3"}, 3);
  h.run(0, "w.xls", "1.xls");
  EXPECT_EQ(rows_written("w.xls"), 5);
  EXPECT_EQ(row("w.xls", 8), (Row{{1, "f3"}, {2, "*'*"}}));
}

TEST_F(ExportBlockTest, ProgressShowsFieldAndBoundThenIsEmptied) {
  h.set_block(0, {"h" + kStx + "x", "ab"}, 120);
  h.run(0, "w.xls", "1.xls");
  const auto& ops = h.view.operations();
  const std::vector<std::string> expected = {"Label4.Caption = \"0 - 120\"", "Label4.Refresh",
                                             "Label4.Caption = \"1 - 120\"", "Label4.Refresh",
                                             "Label4.Caption = \"\"",        "Label4.Refresh"};
  EXPECT_EQ(ops, expected);
}

TEST_F(ExportBlockTest, FilesArePreparedBeforeTheApplicationIsUsed) {
  h.set_block(0, {"h" + kStx + "x"}, 0);
  h.run(0, "w.xls", "1.xls");
  EXPECT_EQ(read_file(h.folder / "Data/w.xls"), "template bytes");
  EXPECT_FALSE(std::filesystem::exists(h.folder / "Data/1.xls"));
  EXPECT_EQ(read_file(h.folder / "FILES/Vor/1.xls"), "template bytes");
  EXPECT_EQ(log->calls[0], "GetObject Excel.Application");
  EXPECT_EQ(log->calls[1], "Open w.xls");
}

TEST_F(ExportBlockTest, NoInstanceRunningStartsOneOncePerRun) {
  log->failures["GetObject"] = {429, "ActiveX component can't create object"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  h.set_block(1, {"h" + kStx + "y"}, 0);
  EXPECT_FALSE(h.run(0, "w0.xls", "1.xls"));
  EXPECT_FALSE(h.run(1, "w1.xls", "1.xls"));
  EXPECT_EQ(std::count(log->calls.begin(), log->calls.end(), "GetObject Excel.Application"), 1);
  EXPECT_EQ(std::count(log->calls.begin(), log->calls.end(), "CreateObject Excel.Application"), 1);
  EXPECT_EQ(log->saved, (std::vector<std::string>{"w0.xls", "w1.xls"}));
}

TEST_F(ExportBlockTest, PermissionDeniedAtAttachShowsTheMessageAndEnds) {
  log->failures["GetObject"] = {70, "Permission denied"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  EXPECT_TRUE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(h.ended, 2);
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].style, 16);
  EXPECT_NE(h.view.messages()[0].prompt.find("w.xls"), std::string::npos);
  EXPECT_NE(h.view.messages()[0].prompt.find("Zugriff verweigert"), std::string::npos);
  EXPECT_EQ(std::count(log->calls.begin(), log->calls.end(), "Open w.xls"), 0);
}

TEST_F(ExportBlockTest, AnyOtherAttachFailureShowsTheCancelMessageAndEnds) {
  log->failures["GetObject"] = {462, "The remote server machine does not exist"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  EXPECT_TRUE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(h.ended, 2);
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0],
            (window::Message{"462\rThe remote server machine does not exist\r\rFile: w.xls\r\r"
                             "Ist Excel korrekt installiert?",
                             16, "Abbruch"}));
  EXPECT_FALSE(h.module1.ExcelStarted);
}

TEST_F(ExportBlockTest, MissingSheetInTheFirstCallShowsTheCancelMessage) {
  log->sheets = {"Tabelle1"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  EXPECT_TRUE(h.run(0, "w.xls", "1.xls"));
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].title, "Abbruch");
  EXPECT_EQ(h.view.messages()[0].prompt.rfind("9\rSubscript out of range\r\rFile: w.xls", 0), 0u);
}

TEST_F(ExportBlockTest, MissingSheetInALaterCallPassesToTheCaller) {
  h.set_block(0, {"h" + kStx + "x"}, 0);
  h.run(0, "w0.xls", "1.xls");
  log->sheets = {"Tabelle1"};
  try {
    h.module1.ExportBlock(0, "w1.xls", "1.xls");
    FAIL() << "the failure should pass to the caller";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.number(), 9);
  }
  EXPECT_TRUE(h.view.messages().empty());
}

TEST_F(ExportBlockTest, OpenFailingWith429AfterAttachStartsAnInstanceAndOpensAgain) {
  log->failures["Open"] = {429, "gone"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  EXPECT_FALSE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(std::count(log->calls.begin(), log->calls.end(), "CreateObject Excel.Application"), 1);
  EXPECT_EQ(std::count(log->calls.begin(), log->calls.end(), "Open w.xls"), 2);
  EXPECT_EQ(log->saved, (std::vector<std::string>{"w.xls"}));
}

// A failure number of 0 or below (how a client numbers a busy application's refusal)
// passes the attach checks without a message: the application counts as started and the
// open is tried under failure handling, so a further failure goes to the caller.
struct NonPositiveCase {
  const char* name;
  const char* failing_call;
  int times;
  int passed_on;  // the number that reaches the caller; 0: the call returns normally
};

class NonPositiveAttachFailure : public ExportBlockTest,
                                 public ::testing::WithParamInterface<NonPositiveCase> {};

TEST_P(NonPositiveAttachFailure, NeedsNoMessageAndTriesTheOpen) {
  constexpr int kCallRejected = -2147418111;  // RPC_E_CALL_REJECTED
  log->failures[GetParam().failing_call] = {kCallRejected, "Call was rejected by callee",
                                            GetParam().times};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  int passed_on = 0;
  try {
    EXPECT_FALSE(h.run(0, "w.xls", "1.xls"));
  } catch (const platform::Failure& failure) {
    passed_on = failure.number();
  }
  EXPECT_EQ(passed_on, GetParam().passed_on);
  EXPECT_TRUE(h.view.messages().empty());
  EXPECT_TRUE(h.module1.ExcelStarted);
  EXPECT_EQ(log->saved,
            passed_on == 0 ? std::vector<std::string>{"w.xls"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NonPositiveAttachFailure,
    ::testing::Values(NonPositiveCase{"openSucceedsTheSecondTime", "Open", 1, 0},
                      NonPositiveCase{"aSecondFailurePassesOn", "Open", 2, -2147418111},
                      // No application was attached: nothing to open with.
                      NonPositiveCase{"attachLeavesNoApplication", "GetObject", 1, 91}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ExportBlockTest, WriteFailureClosesWithSavingWithoutOkAndTheCallReturns) {
  log->failures["Cells(6,2)"] = {1004, "Application-defined or object-defined error"};
  h.set_block(0, {"h" + kStx + "x", "a" + kStx + "b" + kStx + "c"}, 1);
  EXPECT_FALSE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(log->saved, (std::vector<std::string>{"w.xls"}));
  EXPECT_EQ(row("w.xls", 1), Row{});
  EXPECT_EQ(h.view.state().label4_caption, "");
  EXPECT_FALSE(h.ended);
}

TEST_F(ExportBlockTest, WriteFailureWhileHandlingAnAttachFailurePassesToTheCaller) {
  log->failures["GetObject"] = {429, "none running"};
  log->failures["Cells(5,1)"] = {1004, "refused"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  EXPECT_THROW(h.module1.ExportBlock(0, "w.xls", "1.xls"), platform::Failure);
  EXPECT_TRUE(log->saved.empty());
}

TEST_F(ExportBlockTest, CloseFailureOnTheNormalPathRunsTheClosingStepsOnceMore) {
  log->failures["Close"] = {1004, "busy"};
  h.set_block(0, {"h" + kStx + "x"}, 0);
  EXPECT_FALSE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(std::count(log->calls.begin(), log->calls.end(), "Close True w.xls"), 2);
  EXPECT_EQ(log->saved, (std::vector<std::string>{"w.xls"}));

  log->failures["Close"] = {1004, "busy", 2};
  EXPECT_THROW(h.module1.ExportBlock(0, "w2.xls", "1.xls"), platform::Failure);
}

TEST_F(ExportBlockTest, ExistingWorkbookIsNeverReplaced) {
  write_file(h.folder / "Data/w.xls", "earlier results");
  h.set_block(0, {"h" + kStx + "x"}, 0);
  try {
    h.module1.ExportBlock(0, "w.xls", "1.xls");
    FAIL() << "the rename should fail";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.number(), 58);
  }
  EXPECT_EQ(read_file(h.folder / "Data/w.xls"), "earlier results");
  EXPECT_EQ(read_file(h.folder / "Data/1.xls"), "template bytes");  // the copy stays
  EXPECT_TRUE(log->calls.empty());
}

TEST_F(ExportBlockTest, MissingTemplateFailsBeforeTheApplicationIsTouched) {
  h.set_block(0, {"h" + kStx + "x"}, 0);
  try {
    h.module1.ExportBlock(0, "w.xls", "nope.xls");
    FAIL() << "the template lookup should fail";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.number(), 53);
  }
  EXPECT_TRUE(log->calls.empty());
  EXPECT_TRUE(std::filesystem::is_empty(h.folder / "Data"));
}

TEST_F(ExportBlockTest, MissingDataFolderIsPathNotFound) {
  std::filesystem::remove(h.folder / "Data");
  h.set_block(0, {"h" + kStx + "x"}, 0);
  try {
    h.module1.ExportBlock(0, "w.xls", "1.xls");
    FAIL();
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.number(), 76);
  }
  EXPECT_FALSE(std::filesystem::exists(h.folder / "Data"));  // never created by the program
}

TEST_F(ExportBlockTest, RowsAndColumnsCountPastSixteenBits) {
  // A field bound above 32767 must not overflow before the first cell.
  h.set_block(0, {"h" + kStx + "x", "ab"}, 40000);
  EXPECT_FALSE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(row("w.xls", 1), (Row{{1, "OK"}}));
  const auto& ops = h.view.operations();
  EXPECT_EQ(ops.front(), "Label4.Caption = \"0 - 40000\"");
}

}  // namespace
}  // namespace schreiber::testing
