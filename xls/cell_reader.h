#pragma once
// Reads the cells of a sheet from its records, for dump and for checks. Malformed cell
// records are skipped: reading never fails.

#include <cstdint>
#include <vector>

#include "xls/cell.h"
#include "xls/record_stream.h"

namespace xls {

class SharedStrings;

// The value an RK number stands for (a 30-bit integer or the high bits of a double,
// optionally divided by 100).
double decode_rk(std::uint32_t rk);

// Appends the cells among `records` (the sheet's own records, embedded substreams left
// out) sorted by row, then column. Blank cells are included with kind blank.
void read_cells(const std::vector<Record>& records, const SharedStrings& strings,
                std::vector<Cell>& out);

}  // namespace xls
