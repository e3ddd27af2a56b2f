#pragma once
// RK numbers: the 32-bit form BIFF8 stores most numbers in (a 30-bit integer or the top 30
// bits of a double, either optionally divided by 100).

#include <cstdint>
#include <optional>

namespace xls {

double decode_rk(std::uint32_t rk);

// The RK form of a number that survives it exactly (bit for bit, so -0.0 stays -0.0);
// nothing for one that needs a NUMBER record.
std::optional<std::uint32_t> encode_rk(double value);

}  // namespace xls
