#pragma once
// The typed-entry rule as a table: a text, the cell it goes into, and what the
// application stores. Shared by the table test and by the probe that feeds the same texts
// to LibreOffice. Dates without a year fall in 2024 here.

#include <string_view>
#include <vector>

#include "automation/typed_entry.h"

namespace schreiber::testing {

inline constexpr int kTableYear = 2024;

struct EntryCase {
  std::u16string_view text;
  automation::TypedEntry stored;
  std::u16string_view cell_format = u"General";
  bool date_1904 = false;
};

const std::vector<EntryCase>& typed_entry_cases();

}  // namespace schreiber::testing
