#pragma once
// The records of the workbook stream's frame that the engine reads or writes: BOF (the
// start of each substream), BOUNDSHEET (a sheet's name, kind and position), RECALCID and
// DATEMODE. Each is a struct of named fields with its own parse() and emit() (the body,
// without the record's header).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls {

// BOF: the start of the globals or of a sheet, and the format's version.
struct BofRecord {
  static constexpr std::size_t kSize = 16;
  static constexpr std::size_t kReadSize = 4;  // version and type: all a reader needs

  static constexpr std::uint16_t kBiff5 = 0x0500;
  static constexpr std::uint16_t kBiff8 = 0x0600;
  // Values of `type`.
  static constexpr std::uint16_t kGlobals = 0x0005;
  static constexpr std::uint16_t kWorksheet = 0x0010;
  static constexpr std::uint16_t kChart = 0x0020;
  static constexpr std::uint16_t kMacroSheet = 0x0040;

  std::uint16_t version = kBiff8;
  std::uint16_t type = kGlobals;
  std::uint16_t build = 0;           // of the application that wrote it
  std::uint16_t year = 0;            // of that build
  std::uint32_t history = 0;         // which applications have saved the file
  std::uint32_t lowest_version = 0;  // the oldest application that can read it all

  // Empty for a body shorter than kReadSize; the fields after the type are read when the
  // body holds them all.
  static std::optional<BofRecord> parse(std::string_view body);
  std::string emit() const;
};

// BOUNDSHEET: a sheet's name, kind, visibility and where its BOF lies in the stream.
struct BoundSheetRecord {
  // Where `position` lies in the body: patched once the sheets have been written.
  static constexpr std::size_t kPositionAt = 0;

  // Values of `type`.
  static constexpr std::uint8_t kWorksheet = 0;
  static constexpr std::uint8_t kMacroSheet = 1;
  static constexpr std::uint8_t kChart = 2;
  static constexpr std::uint8_t kVbaModule = 6;  // no substream of its own
  // Values of `visibility`.
  static constexpr std::uint8_t kVisible = 0;
  static constexpr std::uint8_t kHidden = 1;
  static constexpr std::uint8_t kVeryHidden = 2;

  std::uint32_t position = 0;
  std::uint8_t visibility = kVisible;
  std::uint8_t type = kWorksheet;
  std::u16string name;  // at most 31 characters

  // Empty for a body too short for its name.
  static std::optional<BoundSheetRecord> parse(std::string_view body);
  std::string emit() const;
};

// RECALCID: the build of the calculation engine that last computed the formulas; an
// application with a newer one recalculates them all on load.
struct RecalcIdRecord {
  static constexpr std::size_t kSize = 8;

  std::uint16_t id = 0;  // the record's own id again
  std::uint16_t reserved = 0;
  std::uint32_t engine_build = 0;
  std::string_view rest;  // bytes past the fields (none in a well-formed record), kept

  // Empty for a body shorter than kSize.
  static std::optional<RecalcIdRecord> parse(std::string_view body);
  std::string emit() const;
};

// DATEMODE: whether dates count from 1904 instead of 1900.
struct DateModeRecord {
  static constexpr std::size_t kSize = 2;
  static constexpr std::uint16_t kFrom1904 = 0x0001;

  std::uint16_t flags = 0;

  bool from_1904() const { return flags & kFrom1904; }

  // A body too short reads as dates from 1900.
  static DateModeRecord parse(std::string_view body);
  std::string emit() const;
};

}  // namespace xls
