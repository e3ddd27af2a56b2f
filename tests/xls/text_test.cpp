// Sheet names compared as spreadsheets compare them, values shown as a "General" cell
// shows them, and the UTF-8 edges of the engine.

#include <gtest/gtest.h>

#include "biff_fixture.h"
#include "xls/text.h"
#include "xls/workbook.h"

namespace xls_test {
namespace {

TEST(SheetNames, AreFoundWithoutRegardToCaseInAnyScript) {
  std::vector<FixtureSheet> sheets;
  for (const std::u16string name : {u"Data", u"Äpfel", u"Итоги", u"Σύνολο", u"ŁÓDŹ"}) {
    sheets.push_back({name, 0, worksheet("")});
  }
  const xls::Workbook workbook =
      xls::Workbook::open_bytes(fixture_file(fixture_stream({}, sheets)));
  EXPECT_EQ(workbook.sheet_names()[2], u"Итоги");  // stored as UTF-16 in its BOUNDSHEET
  const std::pair<std::u16string, std::optional<std::size_t>> lookups[] = {
      {u"DATA", 0},        {u"äPFEL", 1}, {u"итоги", 2},
      {u"ΣΎΝΟΛΟ", 3},      {u"łódź", 4},  {u"Daten", std::nullopt},
      {u"", std::nullopt},
  };
  for (const auto& [name, index] : lookups)
    EXPECT_EQ(workbook.find_sheet(name), index) << xls::utf16_to_utf8(name);
}

TEST(DisplayText, ShowsNumbersAsAGeneralCellDoes) {
  // Up to 15 significant digits; an exponent only where the number would not fit.
  const std::pair<double, const char*> numbers[] = {{2.5, "2.5"},
                                                    {-7, "-7"},
                                                    {1.0 / 3, "0.333333333333333"},
                                                    {123456789012.0, "123456789012"},
                                                    {1e20, "1E+20"},
                                                    {1.5e-7, "1.5E-07"}};
  for (const auto& [value, shown] : numbers) {
    xls::CellValue v;
    v.kind = xls::CellKind::number, v.number = value;
    EXPECT_EQ(xls::utf16_to_utf8(xls::display_text(v)), shown);
  }
}

TEST(Utf8, RoundTripsEveryPlaneAndReplacesBrokenSequences) {
  const std::string text = "Ä Ж € 😀";
  EXPECT_EQ(xls::utf8_to_utf16(text), u"Ä Ж € 😀");
  EXPECT_EQ(xls::utf16_to_utf8(xls::utf8_to_utf16(text)), text);
  EXPECT_TRUE(xls::is_valid_utf8(text));
  EXPECT_FALSE(xls::is_valid_utf8("\xC3"));
  EXPECT_FALSE(xls::is_valid_utf8("\xED\xA0\x80"));  // an encoded surrogate
  EXPECT_EQ(xls::utf8_to_utf16("a\xFF"
                               "b"),
            u"a\uFFFDb");
  EXPECT_EQ(xls::utf16_to_utf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace xls_test
