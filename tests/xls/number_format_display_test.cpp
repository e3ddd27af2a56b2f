// What date and time number formats show for a serial number, in both date systems,
// including the 29 February 1900 that the 1900 system counts; other formats show nothing.

#include <gtest/gtest.h>

#include "xls/number_format_display.h"
#include "xls/text.h"

namespace xls_test {
namespace {

struct Shown {
  double serial;
  std::u16string_view code;
  bool date_1904;
  const char* text;  // nullptr: not shown as a date or time
};

constexpr double kSecond = 1.0 / 86400;

const Shown kShown[] = {
    {45000, u"m/d/yyyy", false, "3/15/2023"},
    {45000, u"d-mmm-yy", false, "15-Mar-23"},
    {45000, u"d-mmm", false, "15-Mar"},
    {45000, u"mmm-yy", false, "Mar-23"},
    {45000, u"dddd, mmmm dd, yyyy", false, "Wednesday, March 15, 2023"},
    {45000, u"ddd mmmmm", false, "Wed M"},
    {45000.75, u"m/d/yyyy h:mm", false, "3/15/2023 18:00"},
    {59, u"ddd m/d/yyyy", false, "Tue 2/28/1900"},  // the 1900 system's weekdays run a day off
    {60, u"ddd m/d/yyyy", false, "Wed 2/29/1900"},
    {61, u"ddd m/d/yyyy", false, "Thu 3/1/1900"},
    {0, u"m/d/yyyy", false, "1/0/1900"},
    {0, u"m/d/yyyy", true, "1/1/1904"},
    {1462, u"dddd m/d/yy", true, "Thursday 1/2/08"},
    {2958465, u"yyyy-mm-dd", false, "9999-12-31"},
    {0.5, u"h:mm AM/PM", false, "12:00 PM"},
    {0.75 + 5 * kSecond, u"h:mm:ss am/pm", false, "6:00:05 pm"},
    {0.25, u"hh:mm A/P", false, "06:00 A"},
    {1.5, u"[h]:mm:ss", false, "36:00:00"},
    {(8 * 3600 + 0.6) * kSecond, u"h:mm:ss", false, "8:00:01"},  // seconds round
    {(8 * 3600 + 59.4) * kSecond, u"h:mm", false, "8:00"},       // minutes do not
    {(8 * 3600 + 0.6) * kSecond, u"mm:ss.0", false, "00:00.6"},
    {45000 + 86399.7 * kSecond, u"m/d/yyyy h:mm:ss", false, "3/16/2023 0:00:00"},
    {45000.5, u"yyyy\"年\"m\"月\"d\"日\" \\T h:mm", false, "2023年3月15日 T 12:00"},
    {0.5, u"[$-409]h:mm:ss AM/PM;@", false, "12:00:00 PM"},
    {45000, u"General", false, nullptr},
    {45000, u"0.00", false, nullptr},
    {0.5, u"0%", false, nullptr},
    {45000, u"@", false, nullptr},
    {-1, u"m/d/yyyy", false, nullptr},
    {2958466, u"m/d/yyyy", false, nullptr},
};

TEST(NumberFormatDisplay, DateAndTimeFormatsShowTheSerialAsSpreadsheetsDo) {
  for (const Shown& c : kShown) {
    const auto shown = xls::show_date_time(c.serial, c.code, c.date_1904);
    SCOPED_TRACE(xls::utf16_to_utf8(c.code));
    if (c.text) {
      ASSERT_TRUE(shown.has_value());
      EXPECT_EQ(xls::utf16_to_utf8(*shown), c.text);
    } else {
      EXPECT_FALSE(shown.has_value());
    }
  }
}

}  // namespace
}  // namespace xls_test
