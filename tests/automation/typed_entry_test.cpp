// The typed-entry rule, row by row: what the application stores for a text assigned to a
// cell, in either date system and in cells with a format of their own.

#include "automation/typed_entry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <ostream>

#include "automation/typed_entry_cases.h"
#include "xls/text.h"

namespace schreiber::automation {

void PrintTo(const TypedEntry& entry, std::ostream* out) {
  static constexpr const char* kKinds[] = {"text", "number", "boolean", "error", "empty"};
  *out << kKinds[static_cast<int>(entry.kind)] << " text=\"" << xls::utf16_to_utf8(entry.text)
       << "\" quote=" << entry.quote_prefix << " number=" << std::setprecision(17) << entry.number
       << " boolean=" << entry.boolean << " error=" << int{entry.error_code} << " format=\""
       << xls::utf16_to_utf8(entry.number_format) << "\"";
}

}  // namespace schreiber::automation

namespace schreiber::testing {
namespace {

TEST(TypedEntry, StoresWhatTheApplicationStoresForEachRowOfTheTable) {
  for (const auto& row : typed_entry_cases()) {
    SCOPED_TRACE("text \"" + xls::utf16_to_utf8(row.text) + "\" into a cell formatted \"" +
                 xls::utf16_to_utf8(row.cell_format) + "\"" +
                 (row.date_1904 ? ", 1904 dates" : ""));
    const automation::EntryContext context{row.cell_format, row.date_1904, kTableYear};
    const auto stored = automation::read_typed_entry(row.text, context);
    EXPECT_EQ(stored, row.stored);
    EXPECT_EQ(std::signbit(stored.number), std::signbit(row.stored.number));  // no "-0"
  }
}

}  // namespace
}  // namespace schreiber::testing
