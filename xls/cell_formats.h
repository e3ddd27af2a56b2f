#pragma once
// The workbook's cell formats (XF records) and number formats (FORMAT records), read from
// the globals, and the formats that writes add: a cell whose value needs a number format
// (or the quote-prefix attribute) that its cell format lacks gets a clone of that format
// with only that changed. Clones are shared, existing identical formats are reused, and
// the XFCRC record that guards the extended formats (XFEXT) is kept valid.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xls/record_stream.h"

namespace xls {

class CellFormats {
 public:
  // The most XF records a workbook may hold; a cell's format index stays below it.
  static constexpr std::size_t kMaxCellFormats = 4050;
  // The most FORMAT records a workbook may hold.
  static constexpr std::size_t kMaxFormatRecords = 218;

  CellFormats() = default;
  // Malformed records are taken as absent: reading never fails.
  explicit CellFormats(const std::vector<Record>& globals);
  CellFormats(const CellFormats&) = delete;  // holds views into its own storage
  CellFormats& operator=(const CellFormats&) = delete;
  CellFormats(CellFormats&&) = default;
  CellFormats& operator=(CellFormats&&) = default;

  bool date_1904() const { return date_1904_; }
  // The format of a new cell that neither its row nor its column formats: the first cell
  // format (number 15 in every workbook Excel writes).
  std::uint16_t default_cell_format() const { return default_xf_; }

  // The number format code of cell format `xf`: the workbook's FORMAT record for its index,
  // else the built-in code, else "General" (what spreadsheets show for an unknown index).
  std::u16string number_format(std::uint16_t xf) const;
  bool quote_prefix(std::uint16_t xf) const;
  // True when cell format `xf` locks its cells on a protected sheet (as formats do unless
  // told otherwise; an unknown index included).
  bool locked(std::uint16_t xf) const;

  // The cell format for a value written into a cell that would keep format `xf`, with the
  // number format `code` (empty: the one `xf` has) and the quote prefix as given. Adds the
  // FORMAT and XF records that needs; past the limits throws Error and changes nothing.
  std::uint16_t format_for(std::uint16_t xf, std::u16string_view code, bool quote_prefix);

  // Appends the records that go before globals record `index` (in the order read).
  void write_before(std::size_t index, std::string& out) const;
  // The XFCRC record to write in place of the one read (globals record `index`), if any.
  std::optional<std::string> replacement(std::size_t index) const;

 private:
  std::uint16_t number_format_index(std::u16string_view code, bool& is_new) const;
  std::string identity(std::string_view xf, std::string_view ext) const;
  void index_existing();

  bool date_1904_ = false;
  std::uint16_t default_xf_ = 0;
  // XF bodies, FORMAT codes by index and XFEXT bodies by format: those read, then those added.
  std::vector<std::string_view> xfs_;
  std::map<std::uint16_t, std::u16string> codes_;
  std::unordered_map<std::u16string, std::uint16_t> by_code_;  // the first index of each code
  std::unordered_map<std::uint16_t, std::string_view> exts_;
  std::uint16_t next_custom_ = 0;  // index of the next FORMAT record
  std::size_t format_records_ = 0;

  // Where new records go, as "before globals record n".
  std::optional<std::size_t> formats_at_, xfs_at_, exts_at_, checksum_at_;
  std::string_view checksum_record_;
  bool checksum_valid_ = false;  // the XFCRC read matches the formats read

  std::deque<std::string> owned_;
  std::vector<std::string_view> new_formats_, new_xfs_, new_exts_;
  // (source format, number format index, prefix) -> the clone written for it.
  std::unordered_map<std::uint64_t, std::uint16_t> clones_;
  // A cell format's bytes and its extension's (format field cleared) -> its first index.
  std::unordered_map<std::string, std::uint16_t> existing_;
  bool existing_indexed_ = false;
};

}  // namespace xls
