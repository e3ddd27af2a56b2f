// "Excel.Application" as the embedded engine serves it: the members the export calls,
// with the numbers an application reports, on real workbook files.

#include <gtest/gtest.h>

#include "automation/class_registry.h"
#include "automation/embedded_excel.h"
#include "automation/export_harness.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "support/failure_number.h"
#include "support/xlrd_sheet.h"
#include "xls/text.h"
#include "xls/workbook.h"

namespace schreiber::testing {
namespace {

class EmbeddedExcel : public ::testing::Test {
 protected:
  EmbeddedExcel() {
    xls::Workbook::create_blank().save_as(folder / "book.xls");
    excel =
        automation::as<automation::Application>(registry->GetObject(automation::kExcelApplication));
  }

  TempFolder folder;
  std::unique_ptr<automation::Automation> registry = automation::make_default_automation();
  std::shared_ptr<automation::Application> excel;
};

TEST_F(EmbeddedExcel, AttachingAlwaysFindsTheSameInstance) {
  EXPECT_EQ(registry->GetObject(automation::kExcelApplication), excel);
  EXPECT_NE(registry->CreateObject("excel.application"), excel);  // a new one, any case
  EXPECT_EQ(failure_number_of([&] { registry->CreateObject("Word.Application"); }), 429);
  EXPECT_EQ(failure_number_of([&] { registry->GetObject(automation::kFileSystemObject); }), 429);
}

TEST_F(EmbeddedExcel, OpenFindWriteAndCloseWithSaving) {
  excel->Workbooks()->Open(folder / "book.xls");
  auto book = excel->Workbooks()->Item("BOOK.XLS");  // names compare without case
  book->Worksheets("data")->Activate();
  book->Worksheets("Data")->SetCells(3, 2,
                                     "Gr\xFC\xDF"
                                     "e");
  book->Close(true);
  EXPECT_EQ(failure_number_of([&] { excel->Workbooks()->Item("book.xls"); }), 9);
  const auto read = read_with_xlrd(folder / "book.xls", "Data");
  EXPECT_EQ(read.cells, (std::map<std::pair<int, int>, std::string>{{{3, 2},
                                                                     "Gr\xC3\xBC\xC3\x9F"
                                                                     "e"}}));
}

TEST_F(EmbeddedExcel, RefusalsCarryTheirNumbers) {
  write_file(folder / "text.xls", "this is no workbook");
  EXPECT_EQ(failure_number_of([&] { excel->Workbooks()->Open(folder / "text.xls"); }), 1004);
  EXPECT_EQ(failure_number_of([&] { excel->Workbooks()->Open(folder / "missing.xls"); }), 1004);
  excel->Workbooks()->Open(folder / "book.xls");
  auto book = excel->Workbooks()->Item("book.xls");
  EXPECT_EQ(failure_number_of([&] { book->Worksheets("Tabelle1"); }), 9);
  auto sheet = book->Worksheets("Data");
  EXPECT_EQ(failure_number_of([&] { sheet->SetCells(1, 257, "x"); }), 1004);
  EXPECT_EQ(failure_number_of([&] { sheet->SetCells(65537, 1, "x"); }), 1004);
  EXPECT_EQ(failure_number_of([&] { sheet->SetCells(0, 1, "x"); }), 1004);
  EXPECT_EQ(failure_number_of([&] { sheet->SetCells(1, 1, std::string(32768, 'x')); }), 1004);
}

TEST_F(EmbeddedExcel, EqualsTextsBecomeFormulasExceptInTextCells) {
  {
    xls::Workbook blank = xls::Workbook::open(folder / "book.xls");
    blank.set_number(0, 3, 1, 0, u"@");  // A3 formatted as Text
    blank.clear_value(0, 3, 1);
    blank.save();
  }
  excel->Workbooks()->Open(folder / "book.xls");
  auto sheet = excel->Workbooks()->Item("book.xls")->Worksheets("Data");
  const struct {
    std::int32_t row, column;
    const char* text;
    const char* formula;  // none: stored as the text
  } cases[] = {
      {1, 1, "=1+2", "=1+2"},
      {1, 2, "=sum(a1,'Data'!A1)", "=SUM(A1,Data!A1)"},
      {2, 1, "'=1+2", nullptr},
      {3, 1, "=1+2", nullptr},
  };
  for (const auto& c : cases) sheet->SetCells(c.row, c.column, c.text);
  EXPECT_EQ(failure_number_of([&] { sheet->SetCells(4, 1, "=1+"); }), 1004);
  EXPECT_EQ(failure_number_of([&] { sheet->SetCells(1, 1, "=NOSUCH()"); }), 1004);
  excel->Workbooks()->Item("book.xls")->Close(true);

  const xls::Workbook book = xls::Workbook::open(folder / "book.xls");
  const auto formulas = book.formula_texts(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto found = formulas.find({c.row, c.column});
    if (c.formula) {
      ASSERT_NE(found, formulas.end());
      EXPECT_EQ(found->second, xls::utf8_to_utf16(c.formula));
    } else {
      EXPECT_EQ(found, formulas.end());
      EXPECT_EQ(book.cell(0, c.row, c.column)->value.text, u"=1+2");
    }
  }
  EXPECT_FALSE(book.cell(0, 4, 1));  // the refused write left nothing
}

TEST_F(EmbeddedExcel, QuitClosesWhatIsOpenWithoutSaving) {
  const std::string before = read_file(folder / "book.xls");
  excel->Workbooks()->Open(folder / "book.xls");
  excel->Workbooks()->Item("book.xls")->Worksheets("Data")->SetCells(1, 1, "unsaved");
  excel->Quit();
  EXPECT_EQ(read_file(folder / "book.xls"), before);
  EXPECT_EQ(failure_number_of([&] { excel->Workbooks()->Item("book.xls"); }), 9);
}

// A template the engine refuses, in the first export of a run: the open fails under the
// attach checks, so the operator sees the cancel message and the run ends.
TEST(EmbeddedExport, TemplateThatIsNoWorkbookEndsTheRunWithTheCancelMessage) {
  ExportHarness h(automation::make_default_automation());
  write_file(h.folder / "FILES/Vor/1.xls", "plain text, not a workbook");
  h.set_block(0, {"h\x02x"}, 0);
  EXPECT_TRUE(h.run(0, "w.xls", "1.xls"));
  EXPECT_EQ(h.ended, 2);
  ASSERT_EQ(h.view.messages().size(), 1u);
  const auto& prompt = h.view.messages()[0].prompt;
  EXPECT_EQ(prompt.rfind("1004\r", 0), 0u);
  EXPECT_NE(prompt.find("\r\rFile: w.xls\r\rIst Excel korrekt installiert?"), std::string::npos);
  EXPECT_EQ(read_file(h.folder / "FILES/Vor/1.xls"), "plain text, not a workbook");
}

// Descriptions are code-page text like every text the operator reads, so a file name with
// an umlaut shows it, whichever part of the program names the file.
TEST(EmbeddedExport, FailuresNameFilesWithTheirUmlauts) {
  const std::string name =
      "R\xFC"
      "cklauf.xls";  // code-page bytes
  const auto on_disk = platform::codepage_to_file_name(name);
  const auto description = [](const std::function<void()>& call) {
    return failure_of(call).description();
  };
  ExportHarness h(automation::make_default_automation());
  h.set_block(0, {"h\x02x"}, 0);
  write_file(h.folder / "FILES/Vor/1.xls", "plain text, not a workbook");
  write_file(h.folder / "Data" / on_disk, "an earlier workbook");
  auto excel = automation::as<automation::Application>(
      h.automation->GetObject(automation::kExcelApplication));
  platform::DiskFiles files;

  const std::vector<std::string> descriptions = {
      description([&] { h.module1.ExportBlock(0, "w.xls", name); }),  // no such template
      description([&] { h.module1.ExportBlock(0, name, "1.xls"); }),  // the name is taken
      description([&] { excel->Workbooks()->Open(h.folder / "Data" / on_disk); }),  // no workbook
      description([&] { files.create_record_file(h.folder / on_disk / "Schreiber.txt"); }),
  };
  for (const auto& text : descriptions) {
    EXPECT_NE(text.find(name), std::string::npos) << text;
    EXPECT_EQ(text.find("\xC3\xBC"), std::string::npos) << "UTF-8 in " << text;
  }
}

}  // namespace
}  // namespace schreiber::testing
