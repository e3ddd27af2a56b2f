// The shared string table as it grows: new strings continue over CONTINUE records by the
// format's rules, its index (EXTSST) and counts stay right, repeated text is stored once.

#include <gtest/gtest.h>

#include "biff_fixture.h"
#include "stream_check.h"
#include "xls/text.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

// Lengths cycling through 1..37 so that strings end at every distance from a record's
// end; every fifth one needs two bytes a character.
std::u16string nth_string(int i) {
  std::u16string text = u"s" + xls::utf8_to_utf16(std::to_string(i));
  const char16_t fill = i % 5 == 0 ? u'Ж' : static_cast<char16_t>(u'a' + i % 26);
  text.resize(1 + i % 37, fill);
  text[0] = i % 5 == 0 ? u'Я' : u's';
  return text + xls::utf8_to_utf16(std::to_string(i));
}

TEST(SharedStrings, ManyNewStringsSpanContinueRecordsByTheRules) {
  xls::Workbook workbook = xls::Workbook::create_blank();
  std::vector<std::u16string> expected;
  for (int i = 0; i < 3000; ++i) {
    expected.push_back(nth_string(i));
    workbook.set_text(0, 1 + i / 10, 1 + i % 10, expected.back());
  }
  expected.push_back(std::u16string(20000, u'x'));  // longer than two records
  workbook.set_text(0, 400, 1, expected.back());
  expected.push_back(std::u16string(8220, u'Ω'));
  workbook.set_text(0, 401, 1, expected.back());

  TempFolder folder;
  workbook.save_as(folder / "strings.xls");
  const std::string stream = workbook_stream(read_file(folder / "strings.xls"));
  const Report report = check_stream(stream);
  EXPECT_EQ(report.problems, std::vector<std::string>{});
  EXPECT_EQ(report.strings, expected);

  const ReadBack read = read_back({folder / "strings.xls"}).begin()->second;
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.cells.size(), 3002u);
  EXPECT_EQ(read.cells.at({0, 300, 10}), "1\t15\t'" + xls::utf16_to_utf8(expected[2999]) + "'");
  EXPECT_EQ(read.cells.at({0, 401, 1}), "1\t15\t'" + xls::utf16_to_utf8(expected.back()) + "'");
  EXPECT_EQ(xls::Workbook::open(folder / "strings.xls").cells(0).size(), 3002u);
}

TEST(SharedStrings, RepeatedTextIsStoredOnceAndCountedEveryTime) {
  xls::Workbook workbook = xls::Workbook::open_bytes(fixture_file(fixture_stream(
      {u"alt"}, {{u"Data", 0, worksheet(record(0x00FD, "0000 0000 0F00 00000000"))}})));
  for (int row = 1; row <= 100; ++row) workbook.set_text(0, row, 2, row % 2 ? u"gleich" : u"alt");
  workbook.set_text(0, 1, 1, u"gleich");  // the template's only reference to "alt" goes
  const Report report = check_stream(workbook_stream(workbook.to_bytes()));
  EXPECT_EQ(report.problems, std::vector<std::string>{});  // the total matches the 101 cells
  EXPECT_EQ(report.strings, (std::vector<std::u16string>{u"alt", u"gleich"}));
}

}  // namespace
}  // namespace xls_test
