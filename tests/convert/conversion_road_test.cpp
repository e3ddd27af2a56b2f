// ConvertCaptureFile from a capture file on disk to the end of the run: what is handed to
// the export, how the run ends, and when it does not.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "conversion_harness.h"
#include "platform/failure.h"

namespace schreiber::testing {
namespace {

const std::vector<std::string> kRunEnding = {"Label4.Visible false", "Label4.Refresh"};

// The header "001" STX name ETX template ETX ... as written back for a block.
std::string header(const std::string& name, const std::string& template_name,
                   const std::string& rest) {
  return "001\x02" + name + "\x03" + template_name + "\x03" + rest;
}

TEST(ConversionRoad, OverviewExampleFromFileToExport) {
  ConversionHarness h;
  const std::string capture = bytes(
      "11"           // DC1: block 0 opens
      "01 4C 02 61"  // field 0, the header: label L, name field a
      "03 62"        // ETX, template field b
      "01 4D 02 63"  // field 1: label M, content c
      "13 78"        // DC3 and the byte it consumes
      "14");         // DC4, the capture's end
  ASSERT_EQ(capture.size(), 14u);

  EXPECT_FALSE(h.convert(capture, 2));

  const std::string normalised = header("a", "b.xls",
                                        "1\x03"
                                        "1\x03"
                                        "kein Kommentar\x03"
                                        "07/03/2031");
  EXPECT_EQ(h.module->BlockTable.at(0, 0), normalised);
  EXPECT_EQ(h.module->BlockTable.at(0, 1),
            "M\x02"
            "c");
  EXPECT_EQ(h.module->BlockTable.at(0, 2), "");
  EXPECT_EQ(h.module->BlockTable.field_bound(), 2);
  EXPECT_EQ(h.exports, (std::vector<ExportCall>{{0, "a_20310307_1405.xls", "b.xls", normalised}}));
  EXPECT_EQ(h.display.operations, kRunEnding);
  EXPECT_EQ(h.end_status, 0);
}

TEST(ConversionRoad, CaptureShorterThanTenBytesDoesNothing) {
  // Nine bytes that make one complete, exportable block.
  const std::string complete = bytes("11 01 4C 02 61 03 62 13 00");
  for (std::size_t size = 0; size < 10; ++size) {
    ConversionHarness h;
    auto app = std::make_shared<QuitCountingApplication>();
    h.module->ExcelApp = app;
    h.module->ExcelStarted = true;

    EXPECT_TRUE(h.convert(complete.substr(0, size), 1)) << size << " bytes";
    EXPECT_TRUE(h.exports.empty()) << size << " bytes";
    EXPECT_TRUE(h.display.operations.empty()) << size << " bytes";
    EXPECT_EQ(app->quits, 0) << size << " bytes";
    EXPECT_EQ(h.module->ExcelApp, app) << size << " bytes";
    EXPECT_FALSE(h.end_status.has_value()) << size << " bytes";
  }

  // One byte more and the same block is exported.
  ConversionHarness h;
  EXPECT_FALSE(h.convert(complete + bytes("14"), 1));
  EXPECT_EQ(h.exports.size(), 1u);
}

TEST(ConversionRoad, MissingCaptureFileIsCreatedEmptyAndNothingHappens) {
  ConversionHarness h;
  h.module->MaxStxCount = 3;
  h.module->BlockTable.element(0, 1) = "left over";
  h.module->ConvertCaptureFile();
  EXPECT_TRUE(std::filesystem::exists(h.folder / "Schreiber.txt"));
  EXPECT_EQ(std::filesystem::file_size(h.folder / "Schreiber.txt"), 0u);
  EXPECT_EQ(h.module->BlockTable.at(0, 1), "") << "the table is created anew";
  EXPECT_EQ(h.module->BlockTable.field_bound(), 3);
  EXPECT_TRUE(h.display.operations.empty());
}

TEST(ConversionRoad, CaptureWithoutDC3ProcessesNothingButEndsTheRun) {
  ConversionHarness h;
  EXPECT_FALSE(h.convert(bytes("11 01 4C 02 61 03 62 02 63 14"), 0));
  EXPECT_TRUE(h.exports.empty());
  EXPECT_EQ(h.module->BlockTable.at(0, 0),
            "L\x02"
            "a\x03"
            "b")
      << "header not rewritten";
  EXPECT_EQ(h.display.operations, kRunEnding);
  EXPECT_EQ(h.end_status, 0);
}

TEST(ConversionRoad, OnlyClosedBlocksAreProcessedInOrder) {
  ConversionHarness h;
  EXPECT_FALSE(h.convert(bytes("11 02 61 13 00"     // block 0: name a
                               "11 02 62 03 03 30"  // block 1: name b, switch 0
                               "13 00"
                               "11 02 63 13 00"  // block 2: name c
                               "11 02 64 14"),   // row 3, not closed
                         3));
  ASSERT_EQ(h.exports.size(), 2u);
  EXPECT_EQ(h.exports[0].block, 0);
  EXPECT_EQ(h.exports[0].workbook_name, "a_20310307_1405.xls");
  EXPECT_EQ(h.exports[1].block, 2);
  EXPECT_EQ(h.exports[1].workbook_name, "c_20310307_1405.xls");
  EXPECT_EQ(h.module->BlockTable.at(1, 0).substr(0, 6),
            "001\x02"
            "b\x03");
  EXPECT_EQ(h.module->BlockTable.at(3, 0),
            "\x02"
            "d\x14")
      << "the open row stays raw";
}

TEST(ConversionRoad, SpreadsheetApplicationIsQuitOnlyWhenThisRunHasIt) {
  for (const bool started : {true, false}) {
    ConversionHarness h;
    auto app = std::make_shared<QuitCountingApplication>();
    h.module->ExcelApp = app;
    h.module->ExcelStarted = started;
    EXPECT_FALSE(h.convert(bytes("11 02 61 03 03 30 13 00 14 14"), 1));
    EXPECT_EQ(app->quits, started ? 1 : 0);
    EXPECT_EQ(h.module->ExcelApp, nullptr) << "released either way";
    EXPECT_EQ(h.end_status, 0);
  }
}

int failure_number_of(ConversionHarness& h, const std::string& capture) {
  try {
    h.convert(capture, 1);
  } catch (const platform::Failure& failure) {
    return failure.number();
  }
  return 0;
}

TEST(ConversionRoad, OverflowsLeaveTheConversionAtOnce) {
  // The block index has 16 bits: 32767 DC3 fit, the 32768th overflows. So does a header
  // element longer than 32767 characters.
  std::string dc3s;
  for (int i = 0; i < 32767; ++i) dc3s += bytes("13 00");
  const auto header_of = [](std::size_t length) {  // STX and the name field
    return bytes("11 02") + std::string(length - 1, 'x') + bytes("13 00");
  };
  const std::pair<std::string, int> cases[] = {{dc3s, 0},
                                               {dc3s + bytes("13 00"), platform::kOverflow},
                                               {header_of(32767), 0},
                                               {header_of(32768), platform::kOverflow}};
  for (const auto& [capture, failure] : cases) {
    ConversionHarness h;
    EXPECT_EQ(failure_number_of(h, capture), failure) << capture.size() << " bytes";
    EXPECT_EQ(h.exports.empty(), failure != 0) << capture.size() << " bytes";
    // The failure passes to the caller: the run is not ended here.
    EXPECT_EQ(h.display.operations.empty(), failure != 0) << capture.size() << " bytes";
    EXPECT_EQ(h.end_status.has_value(), failure == 0) << capture.size() << " bytes";
  }
}

}  // namespace
}  // namespace schreiber::testing
