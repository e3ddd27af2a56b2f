#pragma once
// Reads the cells of a sheet from its records, for dump and for checks. Malformed cell
// records are skipped: reading never fails.

#include <cstdint>
#include <vector>

#include "xls/cell.h"
#include "xls/record_stream.h"

namespace xls {

class CellFormats;
class SharedStrings;

// Appends the cells among `records` (the sheet's own records, embedded substreams left
// out) sorted by row, then column, each with its number format. Blank cells are included
// with kind blank.
void read_cells(const std::vector<Record>& records, const SharedStrings& strings,
                const CellFormats& formats, std::vector<Cell>& out);

}  // namespace xls
