#pragma once
// The format records the engine reads and adds to: XF (a cell format), FORMAT (a number
// format code), XFEXT (a cell format's extension) and XFCRC (the checksum that keeps the
// extensions valid). Each is a struct of named fields with its own parse() and emit() (the
// body, without the record's header).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls {

// XF: a cell format, or a style's format.
struct XfRecord {
  static constexpr std::size_t kSize = 20;

  // Bits of `type`.
  static constexpr std::uint16_t kLocked = 0x0001;
  static constexpr std::uint16_t kHidden = 0x0002;
  static constexpr std::uint16_t kStyle = 0x0004;        // a style's format, not a cell's
  static constexpr std::uint16_t kQuotePrefix = 0x0008;  // text typed with an apostrophe
  static constexpr std::uint16_t kParent = 0xFFF0;       // the style it belongs to
  // Bits of `alignment`: horizontal (0x07), wrap (0x08), vertical (0x70), justify (0x80).
  static constexpr std::uint8_t kVerticalBottom = 0x20;
  // Bits of `used`: the attributes a cell format sets itself instead of taking its
  // style's (the two lowest bits are reserved).
  static constexpr std::uint8_t kUsesNumberFormat = 0x04;
  static constexpr std::uint8_t kUsesFont = 0x08;
  static constexpr std::uint8_t kUsesAlignment = 0x10;
  static constexpr std::uint8_t kUsesBorder = 0x20;
  static constexpr std::uint8_t kUsesFill = 0x40;
  static constexpr std::uint8_t kUsesProtection = 0x80;
  // `fill_colors` of a format with automatic fill colours (foreground 64, background 65).
  static constexpr std::uint16_t kAutomaticFillColors = 0x20C0;

  std::uint16_t font = 0;
  std::uint16_t number_format = 0;  // index of a built-in or FORMAT record's code
  std::uint16_t type = 0;
  std::uint8_t alignment = 0;
  std::uint8_t rotation = 0;
  std::uint8_t indent = 0;  // indent (0x0F), shrink to fit (0x10), reading order (0xC0)
  std::uint8_t used = 0;
  std::uint32_t borders = 0;           // line styles, left and right colours, diagonals
  std::uint32_t borders_and_fill = 0;  // top, bottom, diagonal colours, fill pattern
  std::uint16_t fill_colors = 0;
  std::string_view rest;  // bytes past the fields (none in a well-formed record), kept

  bool is_style() const { return type & kStyle; }
  bool quote_prefix() const { return type & kQuotePrefix; }

  // Empty for a body shorter than kSize.
  static std::optional<XfRecord> parse(std::string_view body);
  std::string emit() const;

  // The leading fields of a record that may be too short to parse (Excel never writes one;
  // a damaged file may hold one): each is read when the body reaches it.
  static std::optional<std::uint16_t> number_format_of(std::string_view body);
  static std::optional<std::uint16_t> type_of(std::string_view body);
};

// FORMAT: the code of a number format ("0.00%") under its index.
struct FormatRecord {
  std::uint16_t index = 0;
  std::u16string code;

  // Empty for a body too short for its code.
  static std::optional<FormatRecord> parse(std::string_view body);
  std::string emit() const;
};

// The header of the records added to the format after its first release (XFEXT, XFCRC):
// the record's own id again, flags, and reserved bytes.
struct FutureRecordHeader {
  static constexpr std::size_t kSize = 12;

  std::uint16_t id = 0;
  std::uint16_t flags = 0;
  std::uint64_t reserved = 0;
};

// XFEXT: more attributes of a cell format (theme colours, ...), kept as they are.
struct XfExtRecord {
  static constexpr std::size_t kReadSize = 16;  // up to the format it extends

  FutureRecordHeader header;
  std::uint16_t reserved = 0;
  std::uint16_t format = 0;     // the cell format it extends
  std::string_view properties;  // the rest, kept

  // Empty for a body shorter than kReadSize.
  static std::optional<XfExtRecord> parse(std::string_view body);
  std::string emit() const;
};

// XFCRC: how many cell formats the workbook has and their checksum (office_crc.h); an
// application uses the extensions only while both match.
struct XfCrcRecord {
  static constexpr std::size_t kSize = 20;

  FutureRecordHeader header;
  std::uint16_t reserved = 0;
  std::uint16_t format_count = 0;
  std::uint32_t checksum = 0;
  std::string_view rest;  // bytes past the fields (none in a well-formed record), kept

  // Empty for a body shorter than kSize.
  static std::optional<XfCrcRecord> parse(std::string_view body);
  std::string emit() const;
};

}  // namespace xls
