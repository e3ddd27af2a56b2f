// The date separator that a POSIX locale's date format implies: the first character
// outside its conversions, as a character of the code page.

#include <gtest/gtest.h>

#include <string>

#include "platform/date_format.h"

namespace schreiber::platform {
namespace {

TEST(DateSeparator, IsTheFirstCharacterBetweenTheConversions) {
  struct Case {
    const char* format;
    std::string separator;
  };
  const Case cases[] = {
      {"%d.%m.%Y", "."},
      {"%-d.%-m.%Y", "."},       // flags
      {"%_2d-%m-%Y", "-"},       // flag and width
      {"%Ey/%Om", "/"},          // modifiers
      {"%F", "-"},               // %Y-%m-%d
      {"%D", "/"},               // %m/%d/%y
      {"%d\xC2\xB7%m", "\xB7"},  // a middle dot, in the code page
      {"%Y年%m月%d日", "/"},     // no such character in the code page
      {"%d%m%Y", "/"},           // no separator at all
  };
  for (const auto& c : cases) {
    EXPECT_EQ(date_separator_of_format(c.format), c.separator) << c.format;
  }
}

}  // namespace
}  // namespace schreiber::platform
