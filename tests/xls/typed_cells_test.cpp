// Numbers, booleans, error values and quote-prefixed texts written into templates made by
// python3-xlwt: xlrd and the engine's own reader find each value with its type, number
// format and quote prefix; values get clones of their cells' formats with only the number
// format changed, shared and reused; refusals leave the workbook as it was.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "biff_fixture.h"
#include "stream_check.h"
#include "templates.h"
#include "xls/text.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

struct Typed {
  const char* what;
  xls::CellKind kind;
  double number = 0;  // number; boolean (0 or 1); error code
  std::u16string format_or_text;
  std::uint16_t record;  // where the value is stored: RK, NUMBER, BOOLERR or LABELSST
  std::string xlrd_value;
  std::string xlrd_format;  // xlrd spells built-ins 14 and 22 "m/d/yy", "m/d/yy h:mm"
  bool quote_prefix = false;
  bool xlrd_date = false;  // xlrd calls numbers in date and time formats dates
};

constexpr std::uint16_t kRk = 0x027E, kNumber = 0x0203, kBoolErr = 0x0205, kLabelSst = 0x00FD;
using Kind = xls::CellKind;

const Typed kTyped[] = {
    {"integer", Kind::number, 42, u"", kRk, "42.0", "'General'"},
    {"hundredths", Kind::number, 2.41, u"", kRk, "2.41", "'General'"},
    {"negative_hundredths", Kind::number, -1234567.89, u"0.00", kRk, "-1234567.89", "'0.00'"},
    {"binary_fraction_percent", Kind::number, 0.5, u"0%", kRk, "0.5", "'0%'"},
    {"integer_past_30_bits", Kind::number, 536870912, u"", kRk, "536870912.0", "'General'"},
    {"negative_zero", Kind::number, -0.0, u"", kRk, "-0.0", "'General'"},
    {"third", Kind::number, 1.0 / 3, u"", kNumber, "0.3333333333333333", "'General'"},
    {"large", Kind::number, 1e300, u"0.00E+00", kNumber, "1e+300", "'0.00E+00'"},
    {"smallest", Kind::number, 5e-324, u"", kNumber, "5e-324", "'General'"},
    {"time", Kind::number, 0.3400462962962963, u"h:mm:ss", kNumber, "0.3400462962962963",
     "'h:mm:ss'", false, true},
    {"date", Kind::number, 45000, u"m/d/yyyy", kRk, "45000.0", "'m/d/yy'", false, true},
    {"date_time", Kind::number, 45000.75, u"m/d/yyyy h:mm", kRk, "45000.75", "'m/d/yy h:mm'", false,
     true},
    {"custom", Kind::number, 12.5, u"0.0 \"bar\"", kRk, "12.5", "'0.0 \"bar\"'"},
    {"true", Kind::boolean, 1, u"", kBoolErr, "1", "'General'"},
    {"false", Kind::boolean, 0, u"", kBoolErr, "0", "'General'"},
    {"null", Kind::error, 0x00, u"", kBoolErr, "0", "'General'"},
    {"div0", Kind::error, 0x07, u"", kBoolErr, "7", "'General'"},
    {"value", Kind::error, 0x0F, u"", kBoolErr, "15", "'General'"},
    {"ref", Kind::error, 0x17, u"", kBoolErr, "23", "'General'"},
    {"name", Kind::error, 0x1D, u"", kBoolErr, "29", "'General'"},
    {"num", Kind::error, 0x24, u"", kBoolErr, "36", "'General'"},
    {"na", Kind::error, 0x2A, u"", kBoolErr, "42", "'General'"},
    {"quote_prefixed", Kind::text, 0, u"001", kLabelSst, "'001'", "'General'", true},
    {"plain_text", Kind::text, 0, u"2.41", kLabelSst, "'2.41'", "'General'"},
};

void write(xls::Workbook& book, int row, const Typed& c) {
  switch (c.kind) {
    case Kind::number:
      return book.set_number(0, row, 1, c.number, c.format_or_text);
    case Kind::boolean:
      return book.set_boolean(0, row, 1, c.number != 0);
    case Kind::error:
      return book.set_error(0, row, 1, static_cast<std::uint8_t>(c.number));
    default:
      return book.set_text(0, row, 1, c.format_or_text, c.quote_prefix);
  }
}

int xlrd_type(Kind kind) {
  return kind == Kind::text ? 1 : kind == Kind::number ? 2 : kind == Kind::boolean ? 4 : 5;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
    out.push_back(line.substr(from, tab - from));
  out.push_back(line.substr(from));
  return out;
}

TEST(TypedCells, EachValueIsStoredWithItsTypeFormatAndPrefix) {
  const TempFolder folder;
  const auto out = folder / "typed.xls";
  Report before = check_stream(workbook_stream(read_file(templates() / "typed.xls")));
  std::map<std::uint16_t, std::size_t> added;
  {
    xls::Workbook book = xls::Workbook::open(templates() / "typed.xls");
    for (std::size_t k = 0; k < std::size(kTyped); ++k) {
      write(book, static_cast<int>(10 + k), kTyped[k]);
      ++added[kTyped[k].record];
    }
    book.save_as(out);
  }
  const Report after = check_stream(workbook_stream(read_file(out)));
  EXPECT_EQ(after.problems, std::vector<std::string>{});
  for (const auto& [record, count] : added)
    EXPECT_EQ(after.record_counts.at(record), before.record_counts[record] + count) << record;

  const ReadBack read = read_back({out}).begin()->second;
  const xls::Workbook reopened = xls::Workbook::open(out);
  for (std::size_t k = 0; k < std::size(kTyped); ++k) {
    const Typed& c = kTyped[k];
    const int row = static_cast<int>(10 + k);
    SCOPED_TRACE(c.what);
    const auto cell = fields(read.cells.at({0, row, 1}));  // type, cell format, value
    EXPECT_EQ(std::stoi(cell[0]), c.xlrd_date ? 3 : xlrd_type(c.kind));
    EXPECT_EQ(cell[2], c.xlrd_value);
    const ReadBack::Format& format = read.formats.at(std::stoul(cell[1]));
    EXPECT_EQ(format.number_format, c.xlrd_format);
    EXPECT_EQ(format.quote_prefix, c.quote_prefix);

    const auto own = reopened.cell(0, row, 1);
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->value.kind, c.kind);
    EXPECT_EQ(own->number_format,
              c.format_or_text.empty() || c.kind == Kind::text ? u"General" : c.format_or_text);
    EXPECT_EQ(own->quote_prefix, c.quote_prefix);
    if (c.kind == Kind::number) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(own->value.number),
                std::bit_cast<std::uint64_t>(c.number));
    } else if (c.kind == Kind::text) {
      EXPECT_EQ(own->value.text, c.format_or_text);
    }
  }
}

// Writes the same values twice: the first time into the template, the second time into the
// workbook saved the first time.
void write_percentages(const std::filesystem::path& from, const std::filesystem::path& to) {
  xls::Workbook book = xls::Workbook::open(from);
  for (int column = 1; column <= 5; ++column) book.set_number(0, 1, column, 0.5, u"0%");
  book.set_number(0, 1, 6, 0.25, u"0%");
  book.set_number(0, 2, 1, 7, u"0.0 \"kg\"");  // over a plain text cell
  book.set_number(0, 3, 1, 7, u"0.0 \"kg\"");  // an empty cell: the default format
  book.save_as(to);
}

TEST(TypedCells, ValuesGetSharedClonesOfTheirCellFormatsWithOnlyTheNumberFormatChanged) {
  const TempFolder folder;
  const auto once = folder / "once.xls", twice = folder / "twice.xls";
  write_percentages(templates() / "typed.xls", once);
  write_percentages(once, twice);

  const ReadBack original = read_back({templates() / "typed.xls"}).begin()->second;
  const ReadBack read = read_back({once}).begin()->second;
  const auto format_of = [](const ReadBack& book, int row, int column) {
    return std::stoul(fields(book.cells.at({0, row, column}))[1]);
  };
  for (int column = 1; column <= 6; ++column) {
    SCOPED_TRACE(column);
    const auto source = original.formats.at(format_of(original, 1, column));
    const auto clone = read.formats.at(format_of(read, 1, column));
    EXPECT_EQ(clone.number_format, "'0%'");
    EXPECT_EQ(clone.rest, source.rest);  // font, alignment, borders, fill, protection, parent
    EXPECT_EQ(format_of(read, 1, column), format_of(read, 1, column == 6 ? 6 : 1));
  }
  EXPECT_NE(format_of(read, 1, 1), format_of(read, 1, 6));
  EXPECT_NE(format_of(read, 2, 1), format_of(read, 3, 1));
  for (const int row : {2, 3})
    EXPECT_EQ(read.formats.at(format_of(read, row, 1)).number_format, "'0.0 \"kg\"'");

  // Four clones (two percentages, the custom code twice), one FORMAT record for the custom
  // code; none the second time.
  const auto counts = [](const std::filesystem::path& file) {
    return check_stream(workbook_stream(read_file(file))).record_counts;
  };
  auto before = counts(templates() / "typed.xls");
  EXPECT_EQ(counts(once)[0x00E0], before[0x00E0] + 4);
  EXPECT_EQ(counts(once)[0x041E], before[0x041E] + 1);
  EXPECT_EQ(counts(twice)[0x00E0], counts(once)[0x00E0]);
  EXPECT_EQ(counts(twice)[0x041E], counts(once)[0x041E]);

  convert_to_csv(folder.path(), {once});
  EXPECT_EQ(read_file(folder / "once-Data.csv"),
            "50%,50%,50%,50%,50%,25%\n7.0 kg,,,,,\n7.0 kg,,,,,\n");
}

TEST(TypedCells, RefusedWritesLeaveTheWorkbookAsItWas) {
  struct Refusal {
    const char* template_file;
    void (*attempt)(xls::Workbook&);
    const char* names;  // what the description names
    xls::ErrorKind kind;
  };
  constexpr auto kValue = xls::ErrorKind::bad_value;
  constexpr auto kOutside = xls::ErrorKind::no_such_cell;
  constexpr auto kFull = xls::ErrorKind::workbook_full;
  const Refusal refusals[] = {
      {"typed.xls", [](xls::Workbook& b) { b.set_number(0, 5, 1, std::nan("")); }, "finite",
       kValue},
      {"typed.xls",
       [](xls::Workbook& b) { b.set_number(0, 5, 1, std::numeric_limits<double>::infinity()); },
       "finite", kValue},
      {"typed.xls", [](xls::Workbook& b) { b.set_error(0, 5, 1, 0x2B); }, "43", kValue},
      {"typed.xls", [](xls::Workbook& b) { b.set_number(0, 0, 1, 1); }, "rows go from 1 to 65536",
       kOutside},
      {"typed.xls", [](xls::Workbook& b) { b.set_boolean(0, 1, 257, true); }, "columns go from 1",
       kOutside},
      {"typed.xls", [](xls::Workbook& b) { b.set_number(0, 1, 1, 1, std::u16string(256, u'0')); },
       "at most 255", kValue},
      {"full_formats.xls", [](xls::Workbook& b) { b.set_number(0, 1, 1, 0.5, u"0%"); },
       "at most 4050", kFull},
      {"full_formats.xls", [](xls::Workbook& b) { b.set_text(0, 2, 2, u"x", true); },
       "at most 4050", kFull},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.names);
    xls::Workbook book = xls::Workbook::open(templates() / r.template_file);
    book.set_number(0, 30, 1, 1.5);  // an earlier write, so that the workbook is rewritten
    const std::string bytes = book.to_bytes();
    try {
      r.attempt(book);
      ADD_FAILURE() << "not refused";
    } catch (const xls::Error& error) {
      EXPECT_EQ(error.kind(), r.kind);
      EXPECT_NE(std::string(error.what()).find(r.names), std::string::npos) << error.what();
    }
    EXPECT_EQ(book.to_bytes(), bytes);
  }
  // At the limit a value that needs no new cell format is still written.
  xls::Workbook full = xls::Workbook::open(templates() / "full_formats.xls");
  full.set_number(0, 2, 2, 0.5);
  EXPECT_EQ(full.cell(0, 2, 2)->value.number, 0.5);
}

// The bits of the Office checksum, one at a time (the engine uses a table).
std::uint32_t office_crc_bitwise(std::uint32_t crc, std::string_view bytes) {
  for (const char c : bytes) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0xAF : crc << 1;
  }
  return crc;
}

std::vector<std::pair<std::uint16_t, std::string>> globals_records(const std::string& stream) {
  std::vector<std::pair<std::uint16_t, std::string>> records;
  for (std::size_t at = 0; at + 4 <= stream.size();) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(stream[at + k]); };
    const auto id = static_cast<std::uint16_t>(byte(0) | byte(1) << 8);
    const std::size_t size = byte(2) | byte(3) << 8;
    records.emplace_back(id, stream.substr(at + 4, size));
    at += 4 + size;
    if (id == 0x000A) break;
  }
  return records;
}

// An XFCRC body that matches the XF records of the stream's globals.
std::string checksum_body(const std::string& stream) {
  std::uint32_t crc = 0;
  std::uint32_t count = 0;
  for (const auto& [id, body] : globals_records(stream)) {
    if (id == 0x00E0) crc = office_crc_bitwise(crc, body), ++count;
  }
  std::string out = hex("7C08 0000 0000000000000000 0000");
  for (int b = 0; b < 2; ++b) out += static_cast<char>((count >> (8 * b)) & 0xFF);
  for (int b = 0; b < 4; ++b) out += static_cast<char>((crc >> (8 * b)) & 0xFF);
  return out;
}

TEST(TypedCells, ExtendedFormatsFollowTheirClonesAndTheirChecksumStaysValid) {
  // XFEXT: header, the format it extends, one property (cell fill, an RGB colour).
  const auto extension = [](const char* format) {
    return hex(std::string("7D08 0000 0000000000000000 0000 ") + format +
               " 0000 0100 0400 1400 0200 0000 FF000000 0000000000000000");
  };
  const std::string table = record(0x0201, "0000 0000 1000");  // BLANK A1, format 16
  const auto stream_with = [&](const std::string& checksum) {
    return fixture_stream({}, {{u"Data", 0, worksheet(table)}},
                          raw_record(0x087C, checksum) + raw_record(0x087D, extension("1000")));
  };
  const std::string stream = stream_with(checksum_body(stream_with(std::string(20, '\0'))));
  xls::Workbook book = xls::Workbook::open_bytes(fixture_file(stream));
  book.set_number(0, 1, 1, 0.5, u"0%");
  const std::string written = workbook_stream(book.to_bytes());

  std::vector<std::string> checksums, extensions;
  for (const auto& [id, body] : globals_records(written)) {
    if (id == 0x087C) checksums.push_back(body);
    if (id == 0x087D) extensions.push_back(body);
  }
  EXPECT_EQ(checksums, std::vector<std::string>{checksum_body(written)});
  EXPECT_EQ(extensions, (std::vector<std::string>{extension("1000"), extension("1200")}));
  EXPECT_EQ(book.cell(0, 1, 1)->number_format, u"0%");
}

}  // namespace
}  // namespace xls_test
