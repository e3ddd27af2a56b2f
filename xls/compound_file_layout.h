#pragma once
// Constants of the compound file format, named once for its reader and its writer.

#include <cstddef>
#include <cstdint>

namespace xls::cfb {

inline constexpr char kSignature[8] = {'\xD0', '\xCF', '\x11', '\xE0',
                                       '\xA1', '\xB1', '\x1A', '\xE1'};
inline constexpr std::uint16_t kMinorVersion = 0x003E;
inline constexpr std::uint16_t kByteOrderMark = 0xFFFE;  // little-endian

// Sectors: 512 bytes in version 3 files, 4096 in version 4; the header fills sector -1.
inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::uint16_t kSectorShiftVersion3 = 9;
inline constexpr std::uint16_t kSectorShiftVersion4 = 12;
inline constexpr std::uint16_t kMiniSectorShift = 6;
inline constexpr std::uint32_t kMiniSectorSize = 1u << kMiniSectorShift;
// Streams shorter than this live in the mini stream, in mini sectors.
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;

constexpr std::uint16_t sector_shift(int major_version) {
  return major_version == 4 ? kSectorShiftVersion4 : kSectorShiftVersion3;
}
constexpr std::uint32_t sector_size(int major_version) {
  return 1u << sector_shift(major_version);
}

// Special values in the allocation tables (FAT, mini FAT) in place of a next sector.
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
// No sibling or child in a directory entry.
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// The allocation tables and the DIFAT hold 32-bit sector numbers. The header lists the
// first FAT sectors itself; DIFAT sectors list the rest, the last number of each pointing
// to the next DIFAT sector.
inline constexpr std::uint32_t kSectorNumberSize = 4;
inline constexpr std::uint32_t kHeaderFatEntries = 109;

constexpr std::uint32_t numbers_per_sector(std::uint32_t sector_size) {
  return sector_size / kSectorNumberSize;
}

// Offsets in the 512-byte header.
inline constexpr int kHeaderMinorVersion = 24;
inline constexpr int kHeaderMajorVersion = 26;
inline constexpr int kHeaderByteOrder = 28;
inline constexpr int kHeaderSectorShift = 30;
inline constexpr int kHeaderMiniSectorShift = 32;
inline constexpr int kHeaderDirectorySectors = 40;
inline constexpr int kHeaderFatSectors = 44;
inline constexpr int kHeaderFirstDirectory = 48;
inline constexpr int kHeaderMiniCutoff = 56;
inline constexpr int kHeaderFirstMiniFat = 60;
inline constexpr int kHeaderMiniFatSectors = 64;
inline constexpr int kHeaderFirstDifat = 68;
inline constexpr int kHeaderDifatSectors = 72;
inline constexpr int kHeaderDifat = 76;

// A directory entry: 128 bytes, its name up to 31 UTF-16 units and a terminating zero.
inline constexpr std::size_t kEntrySize = 128;
inline constexpr std::size_t kMaxNameLength = 31;
inline constexpr std::size_t kNameBytes = 2 * (kMaxNameLength + 1);
inline constexpr std::uint8_t kBlack = 1;  // the colour of a node in the red-black tree

// Offsets in a directory entry.
inline constexpr int kEntryNameLength = 64;
inline constexpr int kEntryType = 66;
inline constexpr int kEntryColor = 67;
inline constexpr int kEntryLeft = 68;
inline constexpr int kEntryRight = 72;
inline constexpr int kEntryChild = 76;
inline constexpr int kEntryStart = 116;
inline constexpr int kEntrySize64 = 120;

}  // namespace xls::cfb
