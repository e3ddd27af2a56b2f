#pragma once
// Identifiers of the BIFF8 records the engine reads or writes. Every other record is
// carried through unchanged by its bytes.

#include <cstdint>

namespace xls::rec {

inline constexpr std::uint16_t kFormula = 0x0006;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kDefColWidth = 0x0055;
inline constexpr std::uint16_t kColInfo = 0x007D;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kMulRk = 0x00BD;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kRString = 0x00D6;
inline constexpr std::uint16_t kDbCell = 0x00D7;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kExtSst = 0x00FF;
inline constexpr std::uint16_t kRecalcId = 0x01C1;
inline constexpr std::uint16_t kDimensions = 0x0200;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kString = 0x0207;
inline constexpr std::uint16_t kRow = 0x0208;
inline constexpr std::uint16_t kIndex = 0x020B;
inline constexpr std::uint16_t kArray = 0x0221;
inline constexpr std::uint16_t kTable = 0x0236;
inline constexpr std::uint16_t kWindow2 = 0x023E;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kShrFmla = 0x04BC;
inline constexpr std::uint16_t kBof = 0x0809;
inline constexpr std::uint16_t kXfCrc = 0x087C;
inline constexpr std::uint16_t kXfExt = 0x087D;

// Beginning-of-file records of the formats before BIFF5, refused by their id alone.
inline constexpr std::uint16_t kBofBiff2 = 0x0009;
inline constexpr std::uint16_t kBofBiff3 = 0x0209;
inline constexpr std::uint16_t kBofBiff4 = 0x0409;

inline constexpr std::uint16_t kBiff8Version = 0x0600;
inline constexpr std::uint16_t kBofGlobals = 0x0005;
inline constexpr std::uint16_t kBofWorksheet = 0x0010;
inline constexpr std::uint16_t kBofChart = 0x0020;
inline constexpr std::uint16_t kBofMacroSheet = 0x0040;

// The longest record body BIFF8 allows; longer data continues in CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

// Records that hold one or more cells, each starting with row and column.
inline bool is_cell(std::uint16_t id) {
  switch (id) {
    case kFormula:
    case kMulRk:
    case kMulBlank:
    case kRString:
    case kLabelSst:
    case kBlank:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kRk:
      return true;
    default:
      return false;
  }
}

// Records that belong to a sheet's cell table.
inline bool is_cell_table(std::uint16_t id) {
  switch (id) {
    case kRow:
    case kDbCell:
    case kString:
    case kShrFmla:
    case kArray:
    case kTable:
      return true;
    default:
      return is_cell(id);
  }
}

}  // namespace xls::rec
