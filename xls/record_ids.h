#pragma once
// The BIFF8 records the engine reads or writes: one table sorted by id, which also gives
// each record its name for dumps. Every other record is carried through unchanged by its
// bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace xls::rec {

struct RecordType {
  std::uint16_t id;
  std::string_view name;
};

inline constexpr RecordType kRecordTypes[] = {
    {0x0006, "FORMULA"},     {0x0009, "BOF (BIFF2)"}, {0x000A, "EOF"},
    {0x000C, "CALCCOUNT"},   {0x000D, "CALCMODE"},    {0x000E, "PRECISION"},
    {0x000F, "REFMODE"},     {0x0010, "DELTA"},       {0x0011, "ITERATION"},
    {0x0012, "PROTECT"},     {0x0017, "EXTERNSHEET"}, {0x0018, "NAME"},
    {0x0022, "DATEMODE"},    {0x0023, "EXTERNNAME"},  {0x002F, "FILEPASS"},
    {0x0031, "FONT"},        {0x003C, "CONTINUE"},    {0x003D, "WINDOW1"},
    {0x0042, "CODEPAGE"},    {0x0055, "DEFCOLWIDTH"}, {0x005F, "SAVERECALC"},
    {0x007D, "COLINFO"},     {0x0085, "BOUNDSHEET"},  {0x008C, "COUNTRY"},
    {0x00BD, "MULRK"},       {0x00BE, "MULBLANK"},    {0x00D6, "RSTRING"},
    {0x00D7, "DBCELL"},      {0x00E0, "XF"},          {0x00FC, "SST"},
    {0x00FD, "LABELSST"},    {0x00FF, "EXTSST"},      {0x01AE, "SUPBOOK"},
    {0x01C1, "RECALCID"},    {0x0200, "DIMENSIONS"},  {0x0201, "BLANK"},
    {0x0203, "NUMBER"},      {0x0204, "LABEL"},       {0x0205, "BOOLERR"},
    {0x0207, "STRING"},      {0x0208, "ROW"},         {0x0209, "BOF (BIFF3)"},
    {0x020B, "INDEX"},       {0x0221, "ARRAY"},       {0x0236, "TABLE"},
    {0x023E, "WINDOW2"},     {0x027E, "RK"},          {0x0293, "STYLE"},
    {0x0409, "BOF (BIFF4)"}, {0x041E, "FORMAT"},      {0x04BC, "SHRFMLA"},
    {0x0809, "BOF"},         {0x087C, "XFCRC"},       {0x087D, "XFEXT"},
};
static_assert(std::ranges::is_sorted(kRecordTypes, {}, &RecordType::id));

// The id of the record with this name in the table; a name not there does not compile.
consteval std::uint16_t id_of(std::string_view name) {
  for (const RecordType& type : kRecordTypes) {
    if (type.name == name) return type.id;
  }
  throw "a record type missing from kRecordTypes";
}

// The record's name for dumps ("ROW"), or an empty view for an id not in the table.
constexpr std::string_view record_name(std::uint16_t id) {
  const auto* found = std::ranges::lower_bound(kRecordTypes, id, {}, &RecordType::id);
  return found != std::end(kRecordTypes) && found->id == id ? found->name : std::string_view{};
}

inline constexpr std::uint16_t kFormula = id_of("FORMULA");
inline constexpr std::uint16_t kExternSheet = id_of("EXTERNSHEET");
inline constexpr std::uint16_t kName = id_of("NAME");
inline constexpr std::uint16_t kExternName = id_of("EXTERNNAME");
inline constexpr std::uint16_t kCountry = id_of("COUNTRY");
inline constexpr std::uint16_t kSupBook = id_of("SUPBOOK");
inline constexpr std::uint16_t kEof = id_of("EOF");
inline constexpr std::uint16_t kCalcCount = id_of("CALCCOUNT");
inline constexpr std::uint16_t kCalcMode = id_of("CALCMODE");
inline constexpr std::uint16_t kPrecision = id_of("PRECISION");
inline constexpr std::uint16_t kRefMode = id_of("REFMODE");
inline constexpr std::uint16_t kDelta = id_of("DELTA");
inline constexpr std::uint16_t kIteration = id_of("ITERATION");
inline constexpr std::uint16_t kProtect = id_of("PROTECT");
inline constexpr std::uint16_t kDateMode = id_of("DATEMODE");
inline constexpr std::uint16_t kFilePass = id_of("FILEPASS");
inline constexpr std::uint16_t kFont = id_of("FONT");
inline constexpr std::uint16_t kContinue = id_of("CONTINUE");
inline constexpr std::uint16_t kWindow1 = id_of("WINDOW1");
inline constexpr std::uint16_t kCodePage = id_of("CODEPAGE");
inline constexpr std::uint16_t kDefColWidth = id_of("DEFCOLWIDTH");
inline constexpr std::uint16_t kSaveRecalc = id_of("SAVERECALC");
inline constexpr std::uint16_t kColInfo = id_of("COLINFO");
inline constexpr std::uint16_t kBoundSheet = id_of("BOUNDSHEET");
inline constexpr std::uint16_t kMulRk = id_of("MULRK");
inline constexpr std::uint16_t kMulBlank = id_of("MULBLANK");
inline constexpr std::uint16_t kRString = id_of("RSTRING");
inline constexpr std::uint16_t kDbCell = id_of("DBCELL");
inline constexpr std::uint16_t kXf = id_of("XF");
inline constexpr std::uint16_t kSst = id_of("SST");
inline constexpr std::uint16_t kLabelSst = id_of("LABELSST");
inline constexpr std::uint16_t kExtSst = id_of("EXTSST");
inline constexpr std::uint16_t kRecalcId = id_of("RECALCID");
inline constexpr std::uint16_t kDimensions = id_of("DIMENSIONS");
inline constexpr std::uint16_t kBlank = id_of("BLANK");
inline constexpr std::uint16_t kNumber = id_of("NUMBER");
inline constexpr std::uint16_t kLabel = id_of("LABEL");
inline constexpr std::uint16_t kBoolErr = id_of("BOOLERR");
inline constexpr std::uint16_t kString = id_of("STRING");
inline constexpr std::uint16_t kRow = id_of("ROW");
inline constexpr std::uint16_t kIndex = id_of("INDEX");
inline constexpr std::uint16_t kArray = id_of("ARRAY");
inline constexpr std::uint16_t kTable = id_of("TABLE");
inline constexpr std::uint16_t kWindow2 = id_of("WINDOW2");
inline constexpr std::uint16_t kRk = id_of("RK");
inline constexpr std::uint16_t kStyle = id_of("STYLE");
inline constexpr std::uint16_t kFormat = id_of("FORMAT");
inline constexpr std::uint16_t kShrFmla = id_of("SHRFMLA");
inline constexpr std::uint16_t kBof = id_of("BOF");
inline constexpr std::uint16_t kXfCrc = id_of("XFCRC");
inline constexpr std::uint16_t kXfExt = id_of("XFEXT");

// Beginning-of-file records of the formats before BIFF5, refused by their id alone.
inline constexpr std::uint16_t kBofBiff2 = id_of("BOF (BIFF2)");
inline constexpr std::uint16_t kBofBiff3 = id_of("BOF (BIFF3)");
inline constexpr std::uint16_t kBofBiff4 = id_of("BOF (BIFF4)");

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
