#pragma once
// Constants of the compound file format shared by its reader and writer.

#include <cstdint>

namespace xls::cfb {

inline constexpr char kSignature[8] = {'\xD0', '\xCF', '\x11', '\xE0',
                                       '\xA1', '\xB1', '\x1A', '\xE1'};
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
inline constexpr std::uint32_t kMiniSectorSize = 64;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::uint32_t kHeaderFatEntries = 109;
inline constexpr std::uint32_t kEntrySize = 128;

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

// Offsets in a 128-byte directory entry.
inline constexpr int kEntryNameLength = 64;
inline constexpr int kEntryType = 66;
inline constexpr int kEntryColor = 67;
inline constexpr int kEntryLeft = 68;
inline constexpr int kEntryRight = 72;
inline constexpr int kEntryChild = 76;
inline constexpr int kEntryStart = 116;
inline constexpr int kEntrySize64 = 120;

}  // namespace xls::cfb
