#pragma once
// Hand-built BIFF8 workbooks for the engine's tests. Record bodies are written in hex with
// a comment per field at the call site; this file assembles them into a workbook stream
// (globals, sheets, BOUNDSHEET positions) and wraps it in a compound file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls_test {

// "09 08 0600" -> bytes; spaces are ignored.
std::string hex(std::string_view text);
// A record: id, length, body.
std::string record(std::uint16_t id, std::string_view hex_body);
// The same with the body given as bytes.
std::string raw_record(std::uint16_t id, const std::string& body);

struct FixtureSheet {
  std::u16string name;
  std::uint8_t type = 0;  // as BOUNDSHEET gives it: 0 worksheet, 1 macro sheet, 2 chart
  std::string records;    // its substream, BOF to EOF
};

// A worksheet substream: BOF, DEFCOLWIDTH, `before` (COLINFO records, say), DIMENSIONS,
// the given cell table records, WINDOW2, EOF.
std::string worksheet(const std::string& cell_table, const std::string& before = "",
                      const std::string& dimensions_hex = "00000000 00000000 0000 0000 0000");

// Globals (one font, 15 style formats, cell formats 15 (default), 16 ("0.00") and 17
// (a date), a SST holding `strings` unless with_sst is false, a BOUNDSHEET per sheet,
// `extra_globals` before EOF), then the sheets.
std::string fixture_stream(const std::vector<std::u16string>& strings,
                           const std::vector<FixtureSheet>& sheets,
                           const std::string& extra_globals = "", bool with_sst = true);

// A compound file holding the stream under the given name.
std::string fixture_file(const std::string& stream,
                         const std::u16string& stream_name = u"Workbook");

// The workbook stream of a compound file, found as the engine finds it.
std::string workbook_stream(const std::string& file);

}  // namespace xls_test
