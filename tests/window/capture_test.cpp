// The capture behind the start button, over a scripted line: what lands in the capture
// file, what the window shows and in which order, and how each ending goes on.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "support/fake_comm.h"
#include "support/fake_excel.h"
#include "window/form_harness.h"

namespace schreiber::testing {
namespace {

using Strings = std::vector<std::string>;

// DC1 SOH L STX a ETX b SOH M STX c DC3 x DC4: one block of two fields.
const std::string kExample =
    "\x11\x01L\x02"
    "a\x03"
    "b\x01M\x02"
    "c\x13x\x14";

struct Exported {
  std::int16_t block;
  std::string workbook;
  std::string template_name;
};

class Capture : public ::testing::Test {
 protected:
  Capture() {
    h.form.Form_Load();
    h.view.clear_operations();
    h.module1.export_block = [this](const std::int16_t& b, const std::string& w,
                                    const std::string& t) {
      exported.push_back({b, w, t});
    };
  }
  std::string capture_file() { return read_file(h.folder / "Schreiber.txt"); }

  FakeComm comm;
  FormHarness h{comm};
  std::vector<Exported> exported;
};

const Strings kReceivingLook = {"Combo1.Enabled = False",   "Image1.Visible = True",
                                "Command1.Visible = False", "Label3.Caption = \"DATA-->PC\"",
                                "Label4.Caption = \".\"",   "Label3.Visible = True",
                                "Label4.Visible = True",    "Form2.Refresh"};

const Strings kHandOffLook = {"Label3.Caption = \"DATA-->EXCEL\"",
                              "Label4.Caption = \"\"",
                              "Image1.Visible = False",
                              "Image2.Visible = True",
                              "Combo1.Enabled = True",
                              "Form2.Refresh"};

const Strings kSilenceEndingLook = {"Image1.Visible = False", "Command1.Visible = True",
                                    "Label3.Caption = \"\"",  "Label4.Caption = \"\"",
                                    "Label3.Visible = False", "Label4.Visible = False",
                                    "Combo1.Enabled = True"};

Strings joined(std::initializer_list<Strings> parts) {
  Strings all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(Capture, OverviewExampleIsStoredCountedAndHandedOver) {
  comm.play(kExample);
  EXPECT_TRUE(h.click());
  EXPECT_EQ(capture_file(), kExample);
  EXPECT_EQ(h.form.ByteCount, 14);
  EXPECT_EQ(h.form.StxCount, 2);
  EXPECT_EQ(h.module1.MaxStxCount, 2);
  EXPECT_EQ(h.ended, 0);
  ASSERT_EQ(exported.size(), 1u);
  EXPECT_EQ(exported[0].block, 0);
  EXPECT_EQ(exported[0].template_name, "b.xls");
  EXPECT_EQ(exported[0].workbook, "a_20310307_1405.xls");
}

TEST_F(Capture, ShowsEveryStepInOrder) {
  comm.play("A\x11\x02");
  comm.silence(1);
  comm.play("B\x14");
  EXPECT_TRUE(h.click());  // 5 bytes: too short to convert, the program ends all the same
  const Strings expected = joined(
      {kReceivingLook,
       {"Label4.Caption = \">>>\"", "Label4.Refresh", "Image1.Visible = False",
        "Image2.Visible = True", "Form2.Refresh", "Label4.Caption = \"1\"", "Label4.Refresh",
        "Label4.Caption = \"1.\"", "Label4.Refresh", "Label4.Caption = \">>>\"", "Label4.Refresh"},
       kHandOffLook});
  EXPECT_EQ(h.view.operations(), expected);
  EXPECT_EQ(capture_file(),
            "A\x11\x02"
            "B\x14");
  EXPECT_EQ(h.ended, 0);
}

TEST_F(Capture, OpensThePortWithTheInstrumentsLineAndTimeOuts) {
  comm.play("\x14");
  h.click();
  ASSERT_GE(comm.calls.size(), 8u);
  EXPECT_EQ(Strings(comm.calls.begin(), comm.calls.begin() + 8),
            (Strings{"CreateFile COM1:", "ClearCommError", "PurgeComm", "GetCommState",
                     "BuildCommDCB baud=57600 parity=N data=8 stop=1", "SetCommState",
                     "SetupComm 10240 10240", "SetCommTimeouts 3000 1000"}));
}

TEST_F(Capture, ARepeatedDC1OnlyShowsThePicturesAgain) {
  comm.play("\x11\x11\x14");
  EXPECT_TRUE(h.click());
  const Strings dc1 = {"Image1.Visible = False", "Image2.Visible = True", "Form2.Refresh"};
  EXPECT_EQ(h.view.operations(), joined({kReceivingLook,
                                         {"Label4.Caption = \">>>\"", "Label4.Refresh"},
                                         dc1,
                                         dc1,
                                         kHandOffLook}));
  EXPECT_EQ(h.form.StxCount, 0);
}

TEST_F(Capture, SilenceBeforeTheFirstByteReturnsToIdleAfterFiveEmptyReads) {
  comm.silence(10);
  EXPECT_FALSE(h.click());
  EXPECT_EQ(comm.line.size(), 5u);  // five of the ten reads were made
  EXPECT_TRUE(std::filesystem::exists(h.folder / "Schreiber.txt"));
  EXPECT_EQ(capture_file(), "");
  EXPECT_EQ(h.view.state().label4_caption, "");
  EXPECT_TRUE(h.view.state().command1_visible);
  EXPECT_TRUE(h.view.state().combo1_enabled);
  EXPECT_FALSE(h.ended);
  EXPECT_EQ(comm.close_count, 1);
  // The dots grew one per empty read before the idle look came back.
  const auto& ops = h.view.operations();
  EXPECT_NE(std::find(ops.begin(), ops.end(), "Label4.Caption = \"......\""), ops.end());
}

TEST_F(Capture, TwentyBytesThenSilenceIsNotConverted) {
  comm.play(std::string(20, 'x'));
  comm.silence(6);
  EXPECT_FALSE(h.click());
  EXPECT_EQ(capture_file(), std::string(20, 'x'));
  EXPECT_FALSE(h.ended);
  const Strings tail(h.view.operations().end() - kSilenceEndingLook.size(),
                     h.view.operations().end());
  EXPECT_EQ(tail, kSilenceEndingLook);
}

TEST_F(Capture, TwentyOneBytesThenSilenceAreConverted) {
  comm.play(std::string(21, 'x'));
  comm.silence(6);
  EXPECT_TRUE(h.click());
  EXPECT_EQ(h.ended, 0);
  EXPECT_EQ(capture_file(), std::string(21, 'x'));
  // Hidden labels and the visible button stay as the silence ending left them.
  EXPECT_EQ(h.view.state().label3_caption, "DATA-->EXCEL");
  EXPECT_FALSE(h.view.state().label3_visible);
  EXPECT_TRUE(h.view.state().command1_visible);
  EXPECT_TRUE(h.view.state().image2_visible);
}

TEST_F(Capture, FiveEmptyReadsAfterDataDoNotEndIt) {
  comm.play("abc");
  comm.silence(5);
  comm.play("d\x14");
  EXPECT_TRUE(h.click());
  EXPECT_EQ(capture_file(), "abcd\x14");
}

TEST_F(Capture, DC4FirstIsStoredAndHandedOver) {
  comm.play(
      "\x14"
      "more");
  EXPECT_TRUE(h.click());
  EXPECT_EQ(capture_file(), "\x14");
  EXPECT_EQ(h.ended, 0);
  EXPECT_TRUE(exported.empty());
}

TEST_F(Capture, EveryByteValueIsStoredAsReceived) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    if (b != 0x14) all += static_cast<char>(b);
  }
  comm.play(all);
  comm.play("\x14");
  EXPECT_TRUE(h.click());
  EXPECT_EQ(capture_file(), all + "\x14");
}

TEST_F(Capture, MaxStxCountOnlyGrowsAtDC3) {
  h.module1.MaxStxCount = 10;
  comm.play("\x02\x02\x13z\x14");
  h.click();
  EXPECT_EQ(h.module1.MaxStxCount, 10);

  FakeComm comm2;
  FormHarness h2(comm2);
  comm2.play("\x02\x02\x13z\x02\x02\x02\x14");  // STX after the last DC3 do not count
  h2.click();
  EXPECT_EQ(h2.module1.MaxStxCount, 2);
}

TEST_F(Capture, SecondCaptureStartsANewFile) {
  comm.play("first capture, long");
  comm.silence(6);
  EXPECT_FALSE(h.click());
  comm.play("\x14");
  EXPECT_TRUE(h.click());
  EXPECT_EQ(capture_file(), "\x14");
}

TEST_F(Capture, PortOpenFailureShowsTheCodeAndLeavesTheOldFileAlone) {
  write_file(h.folder / "Schreiber.txt", "old capture");
  comm.failing_step = "CreateFile";
  EXPECT_FALSE(h.click());
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0],
            (window::Message{"Port opening Error\rError Number: -1", 16, "Error"}));
  EXPECT_EQ(h.view.operations(),
            (Strings{"Combo1.Enabled = False",
                     "MsgBox \"Port opening Error\\rError Number: -1\", 16, \"Error\"",
                     "Combo1.Enabled = True"}));
  EXPECT_EQ(capture_file(), "old capture");
}

TEST_F(Capture, ConfigurationFailureCodeReachesTheMessage) {
  comm.failing_step = "SetCommState";
  EXPECT_FALSE(h.click());
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].prompt, "Port opening Error\rError Number: -6");
}

TEST(CaptureOpen, NothingSelectedOpensPortZeroAndFails) {
  FakeComm comm;
  comm.failing_step = "CreateFile";
  FormHarness h(comm);
  h.click();  // no Form_Load: nothing is selected
  EXPECT_EQ(comm.calls.front(), "CreateFile COM0:");
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].prompt, "Port opening Error\rError Number: -1");
}

TEST_F(Capture, CaptureFileThatCannotBeCreatedIsReportedAndTheWindowIsIdle) {
  std::filesystem::create_directory(h.folder / "Schreiber.txt");
  comm.play("abc\x14");
  EXPECT_FALSE(h.click());
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].style, 16);
  EXPECT_EQ(h.view.messages()[0].prompt.rfind("Capture file Error\rError Number: ", 0), 0u);
  EXPECT_EQ(comm.close_count, 1);
  EXPECT_TRUE(h.view.state().command1_visible);
  EXPECT_TRUE(h.view.state().combo1_enabled);
  EXPECT_FALSE(h.ended);
}

// The real file system, failing after a number of record writes like a full disk.
class DiskFullFiles : public platform::DiskFiles {
 public:
  explicit DiskFullFiles(int writes_allowed) : allowed_(writes_allowed) {}
  std::unique_ptr<platform::RecordFile> create_record_file(
      const std::filesystem::path& path) override {
    struct Limited : platform::RecordFile {
      std::unique_ptr<platform::RecordFile> inner;
      int left;
      void write(std::int32_t record, std::uint8_t byte) override {
        if (left-- <= 0) throw platform::Failure(61, "Disk full");
        inner->write(record, byte);
      }
      void close() override { inner->close(); }
    };
    auto limited = std::make_unique<Limited>();
    limited->inner = DiskFiles::create_record_file(path);
    limited->left = allowed_;
    return limited;
  }

 private:
  int allowed_;
};

TEST(CaptureFailures, DiskFullKeepsEveryByteWrittenSoFar) {
  FakeComm comm;
  comm.play("0123456789abcdef\x14");
  TempFolder folder;
  window::HeadlessView view;
  serial::Seriell seriell(comm);
  DiskFullFiles files(10);
  platform::FixedClock clock({2031, 3, 7, 14, 5, 0});
  automation::ClassRegistry automation;
  std::optional<int> ended;
  platform::ProgramEnd end([&](int s) { ended = s; });
  const platform::Regional regional;  // a named one: g++ 12 -O2 misreads an inline {}
  convert::Module1 module1({view, automation, files, clock, regional, folder.path(), end});
  window::Form2 form({view, seriell, module1, files, regional, folder.path(), end});
  form.Command1_Click();
  EXPECT_EQ(read_file(folder / "Schreiber.txt"), "0123456789");
  ASSERT_EQ(view.messages().size(), 1u);
  EXPECT_EQ(view.messages()[0].prompt, "Capture file Error\rError Number: 61\rDisk full");
  EXPECT_EQ(comm.close_count, 1);
  EXPECT_FALSE(ended);
}

TEST_F(Capture, FailureOutOfTheConversionIsReportedAndEndsTheProgram) {
  h.module1.export_block = [](const std::int16_t&, const std::string&, const std::string&) {
    throw platform::Failure(58, "File already exists");
  };
  comm.play(kExample);
  EXPECT_TRUE(h.click());
  EXPECT_EQ(h.ended, 2);
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0], (window::Message{"58\rFile already exists", 16, "Error"}));
  EXPECT_EQ(capture_file(), kExample);
}

// A failure that ends the run after the application was started quits it, as the normal
// end does: the workbook it was writing is closed without saving.
TEST_F(Capture, FailureThatEndsTheRunQuitsTheStartedApplication) {
  auto log = std::make_shared<FakeExcelLog>();
  serve_fake_excel(h.automation, log);
  log->failures["GetObject"] = {429, "none running"};
  log->failures["Cells(5,1)"] = {1004, "refused"};  // while handling the 429: passes on
  h.module1.export_block = [this](const std::int16_t& b, const std::string& w,
                                  const std::string& t) { h.module1.ExportBlock(b, w, t); };
  write_file(h.folder / "FILES/Vor/b.xls", "template bytes");
  std::filesystem::create_directories(h.folder / "Data");
  comm.play(kExample);

  EXPECT_TRUE(h.click());
  EXPECT_EQ(h.ended, 2);
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].prompt, "1004\rrefused");
  EXPECT_EQ(Strings(log->calls.end() - 3, log->calls.end()),
            (Strings{"Workbooks a_20310307_1405.xls", "Close False a_20310307_1405.xls", "Quit"}));
  EXPECT_TRUE(log->saved.empty());
  EXPECT_EQ(h.module1.ExcelApp, nullptr);
}

}  // namespace
}  // namespace schreiber::testing
