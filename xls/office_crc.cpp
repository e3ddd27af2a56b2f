#include "xls/office_crc.h"

#include <array>

namespace xls {

namespace {

std::array<std::uint32_t, 256> make_table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t index = 0; index < 256; ++index) {
    std::uint32_t value = index << 24;
    for (int bit = 0; bit < 8; ++bit)
      value = (value & 0x80000000u) ? (value << 1) ^ 0xAFu : value << 1;
    table[index] = value;
  }
  return table;
}

}  // namespace

std::uint32_t office_crc(std::uint32_t crc, std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = make_table();
  for (const char c : bytes) {
    const std::uint32_t index = (crc >> 24) ^ static_cast<unsigned char>(c);
    crc = (crc << 8) ^ table[index];
  }
  return crc;
}

}  // namespace xls
