#pragma once
// The 32-bit checksum Office files use to notice edits by programs that do not know a
// feature (here: the XFCRC record over the cell formats): polynomial 0xAF, most significant
// bit first, no final inversion. `crc` is the value so far (0 to start).

#include <cstdint>
#include <string_view>

namespace xls {

std::uint32_t office_crc(std::uint32_t crc, std::string_view bytes);

}  // namespace xls
