#pragma once
// A compound file laid out by the tests themselves, independently of the engine's writer:
// every field is set here, so that tests can give entries class ids, state bits and time
// stamps, use 4096-byte sectors, and then break the file on purpose.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xls_test {

struct BuilderEntry {
  std::u16string name;
  std::uint8_t type = 2;  // 1 storage, 2 stream, 5 root
  std::string data;
  std::uint32_t left = 0xFFFFFFFF, right = 0xFFFFFFFF, child = 0xFFFFFFFF;
  std::array<char, 16> clsid{};
  std::uint32_t state_bits = 0;
  std::uint64_t created = 0, modified = 0;
};

struct BuiltFile {
  std::string bytes;
  std::uint32_t sector_size = 0;
  std::vector<std::uint32_t> first_sector;  // of each entry's data (regular or mini)
  std::uint32_t fat_sector = 0;             // first FAT sector
  std::uint32_t directory_sector = 0;
  std::size_t sector_offset(std::uint32_t sector) const {
    return (sector + 1) * std::size_t{sector_size};
  }
};

// entries[0] is the root. major_version 3 (512-byte sectors) or 4 (4096-byte sectors).
BuiltFile build_compound_file(int major_version, const std::vector<BuilderEntry>& entries);

}  // namespace xls_test
