#pragma once
// Splitting a capture into blocks and fields, the first half of ConvertCaptureFile.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/block_table.h"

namespace schreiber::convert {

// A capture shorter than this is not converted.
inline constexpr std::size_t kMinimumCaptureSize = 10;

// Fills `table` from the capture's bytes, block by block and field by field, and returns
// the block index reached: the number of DC3 bytes examined. Fails with "Overflow" at the
// 32768th DC3.
std::int16_t fill_block_table(std::string_view capture, BlockTable& table);

// MaxStxCount as a capture of these bytes leaves it: the running count of STX bytes at
// the last DC3 before the first DC4 (where a capture stops), 0 when there is none.
std::int32_t max_stx_count_of(std::string_view capture);

}  // namespace schreiber::convert
