// ProcessBlocks: header decoding, defaults, the rewritten header and the names handed to
// the export.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "conversion_harness.h"
#include "convert/block_headers.h"
#include "convert/block_table.h"

namespace schreiber::testing {
namespace {

using Names = std::pair<std::string, std::string>;  // workbook name, template name

struct HeaderCase {
  const char* name;
  std::string element;  // element (0, 0) as the parser left it
  std::string header;   // as written back
  std::optional<Names> exported;

  friend void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }
};

const std::string kDefaultTail =
    "1\x03"
    "1\x03"
    "kein Kommentar\x03"
    "07/03/2031";

std::string normalised(const std::string& name, const std::string& template_name,
                       const std::string& tail) {
  return "001\x02" + name + "\x03" + template_name + "\x03" + tail;
}

class HeaderDecoding : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderDecoding, RewritesTheHeaderAndNamesTheWorkbook) {
  const HeaderCase& c = GetParam();
  ConversionHarness h;
  h.module->BlockTable = convert::BlockTable(4);
  h.module->BlockTable.element(0, 0) = c.element;

  h.module->ProcessBlocks(0);

  EXPECT_EQ(h.module->BlockTable.at(0, 0), c.header);
  std::vector<ExportCall> expected;
  if (c.exported) expected.push_back({0, c.exported->first, c.exported->second, c.header});
  EXPECT_EQ(h.exports, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderDecoding,
    ::testing::Values(
        HeaderCase{"EmptyHeaderGetsAllDefaults", "", normalised("", "1.xls", kDefaultTail),
                   Names{"_20310307_1405.xls", "1.xls"}},
        HeaderCase{"LabelAndStxOnlyIsEmpty", "L\x02", normalised("", "1.xls", kDefaultTail),
                   Names{"_20310307_1405.xls", "1.xls"}},
        HeaderCase{"SwitchZeroIsNotExported",
                   "L\x02n\x03t\x03"
                   "0",
                   normalised("n", "t.xls",
                              "0\x03"
                              "1\x03"
                              "kein Kommentar\x03"
                              "07/03/2031"),
                   std::nullopt},
        HeaderCase{"SwitchWithLeadingSpaceIsNotExported", "L\x02n\x03t\x03 1",
                   normalised("n", "t.xls",
                              " 1\x03"
                              "1\x03"
                              "kein Kommentar\x03"
                              "07/03/2031"),
                   std::nullopt},
        HeaderCase{"SwitchElevenIsNotExported",
                   "L\x02n\x03t\x03"
                   "11",
                   normalised("n", "t.xls",
                              "11\x03"
                              "1\x03"
                              "kein Kommentar\x03"
                              "07/03/2031"),
                   std::nullopt},
        HeaderCase{"StxSeparatesLikeEtx",
                   "L\x02n\x02t\x02"
                   "0",
                   normalised("n", "t.xls",
                              "0\x03"
                              "1\x03"
                              "kein Kommentar\x03"
                              "07/03/2031"),
                   std::nullopt},
        HeaderCase{"CodesUpTo30RemovedAnd31Kept",
                   std::string("L\x02"
                               "a\r\n\tb\x1f"
                               "c\0d\x03"
                               "t\x1e"
                               "u",
                               15),
                   normalised("ab\x1f"
                              "cd",
                              "tu.xls", kDefaultTail),
                   Names{"ab\x1f"
                         "cd_20310307_1405.xls",
                         "tu.xls"}},
        HeaderCase{"HighBytesPassTheFilter", "L\x02\xE4\x80\xFF",
                   normalised("\xE4\x80\xFF", "1.xls", kDefaultTail),
                   Names{"\xE4\x80\xFF_20310307_1405.xls", "1.xls"}},
        HeaderCase{"SeventhFieldAndLaterDropped",
                   "L\x02n\x03t\x03"
                   "1\x03"
                   "4\x03"
                   "c\x03"
                   "d\x03"
                   "seven\x03"
                   "eight",
                   normalised("n", "t.xls",
                              "1\x03"
                              "4\x03"
                              "c\x03"
                              "d"),
                   Names{"n_20310307_1405.xls", "t.xls"}},
        HeaderCase{"GivenFieldsAreKept",
                   "L\x02n\x03t\x03"
                   "1\x03"
                   "x\x03"
                   "note\x03"
                   "1.1.99",
                   normalised("n", "t.xls",
                              "1\x03"
                              "x\x03"
                              "note\x03"
                              "1.1.99"),
                   Names{"n_20310307_1405.xls", "t.xls"}},
        HeaderCase{"LeadingSpacesTrimmedTrailingKeptTemplateUntouched", "L\x02  n m  \x03 t ",
                   normalised("  n m  ", " t .xls", kDefaultTail),
                   Names{"n m  _20310307_1405.xls", " t .xls"}},
        HeaderCase{"PathCharactersNeverLeaveTheFolder", "L\x02../x\\y\x03sub/t\\u",
                   normalised("../x\\y", "sub/t\\u.xls", kDefaultTail),
                   Names{".._x_y_20310307_1405.xls", "sub_t_u.xls"}}),
    [](const auto& info) { return info.param.name; });

TEST(HeaderDates, DefaultDateUsesTheLocaleSeparator) {
  for (const std::string separator : {".", "-", "/"}) {
    ConversionHarness h(separator);
    h.module->ProcessBlocks(0);
    const std::string header = h.module->BlockTable.at(0, 0);
    EXPECT_EQ(header.substr(header.rfind('\x03') + 1),
              "07" + separator + "03" + separator + "2031");
  }
}

TEST(HeaderDates, TimeStampPadsAllButTheYear) {
  struct Case {
    platform::DateTime now;
    const char* stamp;
  };
  const Case cases[] = {
      {{2031, 3, 7, 14, 5, 0}, "20310307_1405"},
      {{987, 1, 2, 3, 4, 0}, "9870102_0304"},
      {{2000, 12, 31, 0, 0, 59}, "20001231_0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(convert::time_stamp(c.now), c.stamp);
}

class SteppingClock : public platform::Clock {
 public:
  platform::DateTime now() const override {
    platform::DateTime at = kSomeMoment;
    at.minute = calls_++;
    return at;
  }

 private:
  mutable int calls_ = 0;
};

TEST(ProcessBlocks, ReadsTheClockForEveryBlock) {
  ConversionHarness h;
  SteppingClock clock;
  const auto& c = h.module->context();
  convert::Module1 module(
      {c.display, c.automation, c.files, clock, c.regional, c.folder, c.end_program});
  std::vector<std::string> names;
  module.export_block = [&](const std::int16_t&, const std::string& workbook, const std::string&) {
    names.push_back(workbook);
  };
  module.BlockTable.ensure_row(1);
  module.ProcessBlocks(1);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(names[0], names[1]);
}

TEST(ProcessBlocks, NegativeLastBlockDoesNothing) {
  ConversionHarness h;
  h.module->BlockTable.element(0, 0) = "L\x02n";
  h.module->ProcessBlocks(-1);
  EXPECT_EQ(h.module->BlockTable.at(0, 0), "L\x02n");
  EXPECT_TRUE(h.exports.empty());
}

}  // namespace
}  // namespace schreiber::testing
