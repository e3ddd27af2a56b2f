// The port choice: restored from "PORT.ini" at start-up, written by every pick.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/decimal_comma_locale.h"
#include "support/fake_comm.h"
#include "support/skip_or_fail.h"
#include "window/form_harness.h"

namespace schreiber::testing {
namespace {

struct RestoreCase {
  const char* name;
  std::string content;
  std::int16_t expected_index;
  char decimal_point = '.';
};

void expect_restored(const RestoreCase& c) {
  FakeComm comm;
  platform::Regional regional;
  regional.decimal_point = c.decimal_point;
  regional.thousands_separator = regional.decimal_point == ',' ? '.' : ',';
  FormHarness h(comm, regional);
  const auto port_file = h.folder / "PORT.ini";
  write_file(port_file, c.content);
  const auto stamp = std::filesystem::last_write_time(port_file);

  h.form.Form_Load();

  EXPECT_EQ(h.view.Combo1_ListIndex(), c.expected_index);
  EXPECT_EQ(h.form.Loading, 0);
  EXPECT_EQ(read_file(port_file), c.content);
  EXPECT_EQ(std::filesystem::last_write_time(port_file), stamp);
}

class PortChoiceRestore : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(PortChoiceRestore, SelectsTheStoredEntryAndLeavesTheFileAlone) {
  expect_restored(GetParam());
}

const RestoreCase kRestoreCases[] = {{"digit3", "3\r\n", 3},
                                     {"digit8", "8\r\n", 8},
                                     {"digit0", "0\r\n", 0},
                                     {"nine", "9\r\n", 0},
                                     {"minus1", "-1\r\n", 0},
                                     {"beyond16bit", "100000\r\n", 0},
                                     {"letters", "abc\r\n", 0},
                                     {"empty", "", 0},
                                     {"fraction", "3.7\r\n", 3},
                                     {"fractionWithComma", "3,7\r\n", 3, ','},
                                     {"commaIsNoPointHere", "3,7\r\n", 0},
                                     {"firstLineOnly", "5\r\n7\r\nrubbish\r\n", 5},
                                     {"noLineEnd", "6", 6},
                                     {"blanksAround", " 4 \r\n", 4},
                                     {"lineFeedOnly", "2\n", 2},
                                     {"carriageReturnOnly", "3\r5\r", 3}};

INSTANTIATE_TEST_SUITE_P(Contents, PortChoiceRestore, ::testing::ValuesIn(kRestoreCases),
                         [](const auto& test) { return std::string(test.param.name); });

// The same table with the process's own locale set from a German environment, as the
// desktop toolkit does before the window loads: only the regional settings handed to the
// window may decide how a number is spelled.
TEST(PortChoiceRestoreUnderCommaLocale, SelectsTheSameEntries) {
  const DecimalCommaLocale locale;
  if (!locale.why_not().empty()) SCHREIBER_SKIP_OR_FAIL(locale.why_not());
  for (const auto& c : kRestoreCases) {
    SCOPED_TRACE(c.name);
    expect_restored(c);
  }
}

TEST(PortChoice, StartUpWithoutFileSelectsCom1AndCreatesNothing) {
  FakeComm comm;
  FormHarness h(comm);
  int selection_events = 0;
  h.view.on_combo1_click = [&] {
    ++selection_events;
    h.form.Combo1_Click();
  };
  h.form.Form_Load();
  EXPECT_EQ(h.view.Combo1_ListIndex(), 0);
  EXPECT_EQ(h.view.state().combo1_list_index, 0);
  EXPECT_GE(selection_events, 1);  // the event came, and was ignored while loading
  EXPECT_FALSE(std::filesystem::exists(h.folder / "PORT.ini"));
}

TEST(PortChoice, PickWritesTheIndexAndCrLf) {
  FakeComm comm;
  FormHarness h(comm);
  h.form.Form_Load();
  h.view.pick(0);
  EXPECT_EQ(read_file(h.folder / "PORT.ini"), "0\r\n");
  h.view.pick(8);
  EXPECT_EQ(read_file(h.folder / "PORT.ini"), "8\r\n");
  h.view.pick(2);
  EXPECT_EQ(read_file(h.folder / "PORT.ini"), "2\r\n");
}

TEST(PortChoice, PickAfterAnEmptyFileReplacesIt) {
  FakeComm comm;
  FormHarness h(comm);
  write_file(h.folder / "PORT.ini", "");
  h.form.Form_Load();
  EXPECT_EQ(h.view.Combo1_ListIndex(), 0);
  h.view.pick(4);
  EXPECT_EQ(read_file(h.folder / "PORT.ini"), "4\r\n");
  EXPECT_TRUE(h.view.messages().empty());
}

TEST(PortChoice, RestoredChoiceIsThePortTheCaptureOpens) {
  FakeComm comm;
  comm.failing_step = "CreateFile";
  FormHarness h(comm);
  write_file(h.folder / "PORT.ini", "6\r\n");
  h.form.Form_Load();
  h.click();
  ASSERT_FALSE(comm.calls.empty());
  EXPECT_EQ(comm.calls.front(), "CreateFile COM7:");
}

TEST(PortChoice, AFileThatCannotBeWrittenIsReportedNotFatal) {
  FakeComm comm;
  FormHarness h(comm);
  h.form.Form_Load();
  std::filesystem::create_directory(h.folder / "PORT.ini");  // a folder in the file's place
  h.view.pick(3);
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].style, 16);
  EXPECT_FALSE(h.ended);
}

// Closing the window ends the program without writing anything; it closes the port when
// one is open, and only then.
TEST(CloseWindow, ClosesThePortOnceAndEndsWithoutWritingAnything) {
  for (const bool port_open : {false, true}) {
    SCOPED_TRACE(port_open ? "port open" : "no port open");
    FakeComm comm;
    FormHarness h(comm);
    h.form.Form_Load();
    if (port_open) {
      ASSERT_EQ(h.seriell.OpenComPort(1, window::kLineSettings, 10240, 10240, 3000, 1000),
                serial::kOpened);
    }
    EXPECT_THROW(h.form.Form_Unload(), platform::ProgramEnded);
    EXPECT_EQ(h.ended, 0);
    EXPECT_EQ(comm.close_count, port_open ? 1 : 0);
    EXPECT_LE(h.seriell.hComPort, 0);
    EXPECT_TRUE(std::filesystem::is_empty(h.folder.path()));
  }
}

}  // namespace
}  // namespace schreiber::testing
