#include "biff_fixture.h"

#include <stdexcept>

#include "xls/compound_file.h"

namespace xls_test {

namespace {

void put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, std::uint32_t v) {
  put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  put16(out, static_cast<std::uint16_t>(v >> 16));
}

// A string with an 8- or 16-bit character count and the flags byte, compressed when it can be.
std::string unicode(const std::u16string& text, bool short_count) {
  std::string out;
  short_count ? out.push_back(static_cast<char>(text.size()))
              : put16(out, static_cast<std::uint16_t>(text.size()));
  bool compressed = true;
  for (char16_t c : text) compressed = compressed && c < 0x100;
  out.push_back(compressed ? 0 : 1);
  for (char16_t c : text) compressed ? out.push_back(static_cast<char>(c)) : put16(out, c);
  return out;
}

}  // namespace

std::string raw_record(std::uint16_t id, const std::string& body) {
  std::string out;
  put16(out, id);
  put16(out, static_cast<std::uint16_t>(body.size()));
  return out + body;
}

std::string hex(std::string_view text) {
  std::string out;
  int pending = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else if (c == ' ')
      continue;
    else
      throw std::invalid_argument("not hex: " + std::string(text));
    if (pending < 0) {
      pending = v;
    } else {
      out.push_back(static_cast<char>(pending * 16 + v));
      pending = -1;
    }
  }
  if (pending >= 0) throw std::invalid_argument("odd hex digits: " + std::string(text));
  return out;
}

std::string record(std::uint16_t id, std::string_view hex_body) {
  return raw_record(id, hex(hex_body));
}

std::string worksheet(const std::string& cell_table, const std::string& before,
                      const std::string& dimensions_hex) {
  return record(0x0809, "0006 1000 BB0D CC07 00000000 06000000") +  // BOF: BIFF8, worksheet
         record(0x0055, "0800") +                                   // DEFCOLWIDTH: 8 characters
         before +                                                   //
         record(0x0200, dimensions_hex) +                           // DIMENSIONS: rows, columns
         cell_table +                                               //
         record(0x023E, "B606 0000 0000 4000 0000 0000 0000 00000000") +  // WINDOW2: selected
         record(0x000A, "");                                              // EOF
}

std::string fixture_stream(const std::vector<std::u16string>& strings,
                           const std::vector<FixtureSheet>& sheets,
                           const std::string& extra_globals, bool with_sst) {
  std::string globals =
      record(0x0809, "0006 0500 BB0D CC07 00000000 06000000") +  // BOF: BIFF8, globals
      record(0x0042, "B004") +                                   // CODEPAGE: 1200, Unicode
      // FONT: 10 pt, automatic colour, weight 400, "Arial" compressed
      record(0x0031, "C800 0000 FF7F 9001 0000 00 00 00 00 05 00 417269616C");
  for (int i = 0; i < 15; ++i) {
    // XF: font 0, format 0, style format (parent 0xFFF), bottom-aligned, no borders
    globals += record(0x00E0, "0000 0000 F5FF 20 00 00 F4 00000000 00000000 C020");
  }
  globals +=
      record(0x00E0, "0000 0000 0100 20 00 00 00 00000000 00000000 C020");  // XF 15: default cell
  globals +=
      record(0x00E0, "0000 0200 0100 20 00 00 00 00000000 00000000 C020");  // XF 16: format 0.00
  globals += record(0x00E0, "0000 0E00 0100 20 00 00 00 00000000 00000000 C020");  // XF 17: a date
  std::vector<std::size_t> position_fields;
  for (const FixtureSheet& sheet : sheets) {
    std::string body;
    put32(body, 0);     // position, set below
    body.push_back(0);  // visible
    body.push_back(static_cast<char>(sheet.type));
    body += unicode(sheet.name, true);
    position_fields.push_back(globals.size() + 4);
    globals += raw_record(0x0085, body);
  }
  std::string sst;
  put32(sst, static_cast<std::uint32_t>(strings.size()));  // total references
  put32(sst, static_cast<std::uint32_t>(strings.size()));  // unique strings
  for (const auto& s : strings) sst += unicode(s, false);
  if (with_sst) globals += raw_record(0x00FC, sst);
  globals += extra_globals + record(0x000A, "");
  std::string stream = globals;
  for (std::size_t k = 0; k < sheets.size(); ++k) {
    const auto at = static_cast<std::uint32_t>(stream.size());
    for (int b = 0; b < 4; ++b)
      stream[position_fields[k] + b] = static_cast<char>((at >> (8 * b)) & 0xFF);
    stream += sheets[k].records;
  }
  return stream;
}

std::string fixture_file(const std::string& stream, const std::u16string& stream_name) {
  return xls::CompoundFile::create({{stream_name, stream}}).serialize();
}

std::string workbook_stream(const std::string& file) {
  const xls::CompoundFile container = xls::CompoundFile::parse(file);
  auto entry = container.find_root_stream(u"Workbook");
  if (!entry) entry = container.find_root_stream(u"Book");
  if (!entry) throw std::runtime_error("no workbook stream");
  return container.entry(*entry).data;
}

}  // namespace xls_test
