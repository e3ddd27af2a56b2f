// The whole road with the embedded workbook engine: capture file or simulated instrument
// -> conversion -> workbooks, each read back with the independent reader.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/program.h"
#include "automation/class_registry.h"
#include "automation/export_harness.h"
#include "sim/simulator.h"
#include "support/xlrd_sheet.h"
#include "window/headless_view.h"
#include "xls/workbook.h"

namespace schreiber::testing {
namespace {

using Cells = std::map<std::pair<int, int>, std::string>;

void make_template(const std::filesystem::path& path) {
  xls::Workbook::create_blank().save_as(path);
}

std::string sample_recording() {
  return read_file(std::filesystem::path(SCHREIBER_SOURCE_DIR) / "samples/recording.bin");
}

class EmbeddedRoad : public ::testing::Test {
 protected:
  // Runs the conversion of a capture file; true when it ended the program.
  bool convert(const std::string& capture, std::int32_t max_stx_count) {
    write_file(h.folder / "Schreiber.txt", capture);
    h.module1.MaxStxCount = max_stx_count;
    try {
      h.module1.ConvertCaptureFile();
      return false;
    } catch (const platform::ProgramEnded&) {
      return true;
    }
  }

  ExportHarness h{automation::make_default_automation()};
};

TEST_F(EmbeddedRoad, OverviewExampleLandsInSheetDataAndNothingElseIsWritten) {
  make_template(h.folder / "FILES/Vor/b.xls");
  const std::string template_bytes = read_file(h.folder / "FILES/Vor/b.xls");
  EXPECT_TRUE(
      convert("\x11\x01L\x02"
              "a\x03"
              "b\x01M\x02"
              "c\x13x\x14",
              2));
  EXPECT_EQ(h.ended, 0);

  const auto workbook = h.folder / "Data/a_20310307_1405.xls";
  ASSERT_TRUE(std::filesystem::exists(workbook));
  const auto read = read_with_xlrd(workbook, "Data");
  ASSERT_EQ(read.error, "");
  // Stored as the spreadsheet application stores the texts: "001" and "1" are numbers, the
  // date 07/03/2031 is read month first (3 July 2031, day 48032).
  EXPECT_EQ(read.cells, (Cells{{{1, 1}, "OK"},
                               {{5, 1}, "1.0"},
                               {{5, 2}, "a"},
                               {{5, 3}, "b.xls"},
                               {{5, 4}, "1.0"},
                               {{5, 5}, "1.0"},
                               {{5, 6}, "kein Kommentar"},
                               {{5, 7}, "48032.0"},
                               {{5, 8}, "*'*"},
                               {{6, 1}, "M"},
                               {{6, 2}, "c"},
                               {{6, 3}, "*'*"}}));
  EXPECT_EQ(read.types.at({5, 7}), "date");
  EXPECT_EQ(read_file(h.folder / "FILES/Vor/b.xls"), template_bytes);
  EXPECT_FALSE(std::filesystem::exists(h.folder / "Data/b.xls"));
  EXPECT_FALSE(h.view.state().label4_visible);
}

TEST_F(EmbeddedRoad, ColumnBeyondTheSheetSavesWithoutOkAndTheNextBlockFollows) {
  make_template(h.folder / "FILES/Vor/1.xls");
  std::string wide = "\x11\x01K\x02wide\x01M\x02";
  for (int i = 0; i < 300; ++i) wide += "v\x03";
  wide += "\x13x";
  const std::string narrow = "\x11\x01K\x02narrow\x01M\x02v\x13x";
  EXPECT_TRUE(convert(wide + narrow + "\x14", 302));

  const auto first = read_with_xlrd(h.folder / "Data/wide_20310307_1405.xls", "Data");
  ASSERT_EQ(first.error, "");
  EXPECT_EQ(first.cells.count({1, 1}), 0u) << "no OK after a failed write";
  EXPECT_EQ(first.cells.at({6, 256}), "v");  // written up to the sheet's last column
  const auto second = read_with_xlrd(h.folder / "Data/narrow_20310307_1405.xls", "Data");
  EXPECT_EQ(second.cells.at({1, 1}), "OK");
  EXPECT_EQ(second.cells.at({6, 2}), "v");
  EXPECT_EQ(second.cells.at({6, 3}), "*'*");
}

TEST_F(EmbeddedRoad, TemplateWithoutSheetDataEndsTheRunWithTheCancelMessage) {
  // A workbook from another producer whose only sheet has another name.
  const auto path = h.folder / "FILES/Vor/1.xls";
  ASSERT_EQ(std::system(("/usr/bin/python3 -c \"import xlwt, sys; b = xlwt.Workbook(); "
                         "b.add_sheet('Tabelle1'); b.save(sys.argv[1])\" '" +
                         path.string() + "'")
                            .c_str()),
            0);
  ASSERT_FALSE(xls::Workbook::open(path).find_sheet(u"Data"));

  EXPECT_TRUE(convert("\x11\x01K\x02name\x13x\x14", 1));
  EXPECT_EQ(h.ended, 2);
  ASSERT_EQ(h.view.messages().size(), 1u);
  EXPECT_EQ(h.view.messages()[0].title, "Abbruch");
  EXPECT_EQ(h.view.messages()[0].prompt,
            "9\rSubscript out of range\r\rFile: name_20310307_1405.xls\r\r"
            "Ist Excel korrekt installiert?");
}

// The instrument simulator, the capture, the conversion: all real but the clock.
TEST(WholeRoad, SampleRecordingOverTheLineTwiceInOneMinute) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "FILES/Vor");
  std::filesystem::create_directories(folder / "Data");
  std::filesystem::create_directories(folder / "ports");
  make_template(folder / "FILES/Vor/1.xls");
  const platform::FixedClock clock({2031, 3, 7, 14, 5, 0});

  const auto run = [&](window::HeadlessView& view) {
    sim::Options options;
    options.link = folder / "ports/COM1";
    options.bytes = sample_recording();
    options.start_when_configured = true;
    sim::Simulator simulator(std::move(options));
    std::optional<int> ended;
    app::Program program(view, {folder.path(), [&](int s) { ended = s; }, 300, &clock});
    view.on_combo1_click = [&] { program.form().Combo1_Click(); };
    program.form().Form_Load();
    view.pick(0);
    simulator.start();
    EXPECT_THROW(program.form().Command1_Click(), platform::ProgramEnded);
    return ended;
  };

  window::HeadlessView first_view;
  EXPECT_EQ(run(first_view), 0);
  const std::vector<std::string> names = {"Vorlauf_K1_20310307_1405.xls",
                                          "Ruecklauf_K1_20310307_1405.xls",
                                          "Druck_Netz_20310307_1405.xls"};
  std::map<std::string, std::string> made;
  for (const auto& name : names) {
    const auto read = read_with_xlrd(folder / "Data" / name, "Data");
    ASSERT_EQ(read.error, "") << name;
    EXPECT_EQ(read.cells.at({1, 1}), "OK") << name;
    EXPECT_EQ(read.cells.at({5, 2}), name.substr(0, name.size() - 18)) << name;
    made[name] = read_file(folder / "Data" / name);
  }
  EXPECT_EQ(read_with_xlrd(folder / "Data" / names[1], "Data").cells.at({5, 6}),
            "R\xC3\xBC"
            "cklauf Kessel 1");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "Data"),
                          std::filesystem::directory_iterator()),
            3);

  // The same recording again within the same minute: the first name exists already.
  window::HeadlessView second_view;
  EXPECT_EQ(run(second_view), 2);
  ASSERT_EQ(second_view.messages().size(), 1u);
  EXPECT_EQ(second_view.messages()[0].prompt.rfind("58\r", 0), 0u);
  for (const auto& name : names) EXPECT_EQ(read_file(folder / "Data" / name), made[name]) << name;
  EXPECT_TRUE(
      std::filesystem::exists(folder / "Data/1.xls"));  // the copy stays, as the template's name
}

}  // namespace
}  // namespace schreiber::testing
