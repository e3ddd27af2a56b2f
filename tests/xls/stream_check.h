#pragma once
// An independent check of a written workbook stream's structure: BOUNDSHEET positions,
// INDEX and DBCELL offsets, cell order, DIMENSIONS, the shared string table's split over
// CONTINUE records and its EXTSST index.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace xls_test {

struct Report {
  std::vector<std::string> problems;
  std::vector<std::u16string> strings;  // of the SST, in order
  std::set<std::size_t> string_starts;  // stream positions of each string's header
  std::vector<std::uint32_t> sheet_offsets;
  std::optional<std::uint32_t> recalc_engine;          // RECALCID's engine id, when there is one
  std::map<std::uint16_t, std::size_t> record_counts;  // id -> records of that id
};

Report check_stream(std::string_view stream);

}  // namespace xls_test
