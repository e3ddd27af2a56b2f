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
using Fields = std::vector<std::string>;

struct HeaderCase {
  const char* name;
  std::string element;  // element (0, 0) as the parser left it
  Fields header;        // the fields written back after "001" STX
  std::optional<Names> exported;

  friend void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }
};

std::string etx_joined(const Fields& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) out += (i > 0 ? "\x03" : "") + fields[i];
  return out;
}

// A header element: label L, STX, then the given fields.
std::string element(const Fields& fields) {
  return "L\x02" + etx_joined(fields);
}

// Name and template field, then the defaults of the other four.
Fields with_defaults(const std::string& name, const std::string& template_name,
                     const std::string& switch_field = "1") {
  return {name, template_name, switch_field, "1", "kein Kommentar", "07/03/2031"};
}

class HeaderDecoding : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderDecoding, RewritesTheHeaderAndNamesTheWorkbook) {
  const HeaderCase& c = GetParam();
  ConversionHarness h;
  h.module->BlockTable = convert::BlockTable(4);
  h.module->BlockTable.element(0, 0) = c.element;

  h.module->ProcessBlocks(0);

  const std::string header = "001\x02" + etx_joined(c.header);
  EXPECT_EQ(h.module->BlockTable.at(0, 0), header);
  std::vector<ExportCall> expected;
  if (c.exported) expected.push_back({0, c.exported->first, c.exported->second, header});
  EXPECT_EQ(h.exports, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderDecoding,
    ::testing::Values(
        HeaderCase{"EmptyHeaderGetsAllDefaults", "", with_defaults("", "1.xls"),
                   Names{"_20310307_1405.xls", "1.xls"}},
        // The switch is compared with "1" exactly; the header is rewritten all the same.
        HeaderCase{"SwitchZeroIsNotExported", element({"n", "t", "0"}),
                   with_defaults("n", "t.xls", "0"), std::nullopt},
        HeaderCase{"SwitchWithLeadingSpaceIsNotExported", element({"n", "t", " 1"}),
                   with_defaults("n", "t.xls", " 1"), std::nullopt},
        HeaderCase{"SwitchElevenIsNotExported", element({"n", "t", "11"}),
                   with_defaults("n", "t.xls", "11"), std::nullopt},
        HeaderCase{"StxSeparatesLikeEtx", std::string("L\x02n\x02t\x02") + "0",
                   with_defaults("n", "t.xls", "0"), std::nullopt},
        HeaderCase{
            "CodesUpTo30RemovedAnd31Kept", std::string("L\002a\r\n\tb\037c\000d\003t\036u", 15),
            with_defaults("ab\037cd", "tu.xls"), Names{"ab\037cd_20310307_1405.xls", "tu.xls"}},
        HeaderCase{"HighBytesPassTheFilter", "L\x02\xE4\x80\xFF",
                   with_defaults("\xE4\x80\xFF", "1.xls"),
                   Names{"\xE4\x80\xFF_20310307_1405.xls", "1.xls"}},
        HeaderCase{"GivenFieldsKeptSeventhAndLaterDropped",
                   element({"n", "t", "1", "4", "c", "d", "seven", "eight"}),
                   {"n", "t.xls", "1", "4", "c", "d"},
                   Names{"n_20310307_1405.xls", "t.xls"}},
        HeaderCase{"LeadingSpacesTrimmedTrailingKeptTemplateUntouched", "L\x02  n m  \x03 t ",
                   with_defaults("  n m  ", " t .xls"),
                   Names{"n m  _20310307_1405.xls", " t .xls"}},
        HeaderCase{"PathCharactersNeverLeaveTheFolder", element({"../x\\y", "sub/t\\u"}),
                   with_defaults("../x\\y", "sub/t\\u.xls"),
                   Names{".._x_y_20310307_1405.xls", "sub_t_u.xls"}}),
    [](const auto& test) { return test.param.name; });

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

}  // namespace
}  // namespace schreiber::testing
