// The compound file layer: every stream and storage survives a save with its entry's
// name, class id, state bits and time stamps; broken files are refused, never followed.

#include "xls/compound_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "biff_fixture.h"
#include "cfb_builder.h"
#include "xls/error.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

std::string pattern(std::size_t size, int seed) {
  std::string out(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    out[i] = static_cast<char>((i * 31 + seed * 7 + i / 251) & 0xFF);
  return out;
}

// Root; Workbook (regular); storage "Makros" with a class id, state bits and times holding
// "Modul1" (mini) and "Groß" (regular); "\5SummaryInformation" (mini).
std::vector<BuilderEntry> sample_entries() {
  std::vector<BuilderEntry> e(6);
  e[0].name = u"Root Entry", e[0].type = 5, e[0].child = 1;
  e[1].name = u"Workbook", e[1].data = fixture_stream({u"eins"}, {{u"Data", 0, worksheet("")}});
  e[1].data.resize(5000, '\0');
  e[1].left = 2, e[1].right = 5;
  e[2].name = u"Makros", e[2].type = 1, e[2].child = 3;
  std::memcpy(e[2].clsid.data(), "0123456789abcdef", 16);
  e[2].state_bits = 0x00C0FFEE, e[2].created = 0x01D2A3B4C5D6E7F8,
  e[2].modified = 0x01D9000011112222;
  e[3].name = u"Modul1", e[3].data = pattern(100, 1), e[3].left = 4;  // "Groß" sorts first: shorter
  e[4].name = u"Groß", e[4].data = pattern(5000, 2);
  e[5].name = u"\x05SummaryInformation", e[5].data = pattern(300, 3),
  e[5].modified = 0x0102030405060708;
  return e;
}

class CompoundFileVersions : public ::testing::TestWithParam<int> {};

TEST_P(CompoundFileVersions, SaveKeepsEveryStreamAndEntryOfAFileFromElsewhere) {
  const auto entries = sample_entries();
  const BuiltFile built = build_compound_file(GetParam(), entries);
  const xls::CompoundFile parsed = xls::CompoundFile::parse(built.bytes);
  ASSERT_GE(parsed.entry_count(), entries.size());  // the rest of the last sector: free entries
  for (std::size_t i = 1; i < entries.size(); ++i)
    EXPECT_EQ(parsed.entry(i).data, entries[i].data) << i;

  // Through the workbook API with a cell written: only the workbook stream may change.
  xls::Workbook workbook = xls::Workbook::open_bytes(built.bytes, "built");
  workbook.set_text(0, 1, 1, u"neu");
  const xls::CompoundFile saved = xls::CompoundFile::parse(workbook.to_bytes());
  ASSERT_EQ(saved.entry_count(), parsed.entry_count());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& before = parsed.entry(i).raw;
    const auto& after = saved.entry(i).raw;
    // Everything but the start sector (116) and size (120) fields stays.
    EXPECT_EQ(std::memcmp(before.data(), after.data(), 116), 0) << "entry " << i;
    if (i != 1 && entries[i].type == 2) {
      EXPECT_EQ(saved.entry(i).data, entries[i].data) << i;
    }
  }

  // The independent reader sees the same streams in both files (xlrd reads only files with
  // 512-byte sectors).
  if (GetParam() == 4) return;
  TempFolder folder;
  write_file(folder / "in.xls", built.bytes);
  write_file(folder / "out.xls", workbook.to_bytes());
  auto read = read_back({folder / "in.xls", folder / "out.xls"});
  const ReadBack& in = read[(folder / "in.xls").string()];
  const ReadBack& out = read[(folder / "out.xls").string()];
  EXPECT_EQ(out.error, "");
  EXPECT_EQ(in.streams.size(), 3u);
  EXPECT_EQ(in.streams, out.streams);
  EXPECT_EQ(out.cells.at({0, 1, 1}), "1\t15\t'neu'");
}

INSTANTIATE_TEST_SUITE_P(SectorSizes, CompoundFileVersions, ::testing::Values(3, 4));

TEST(CompoundFile, SmallStreamMovesOutOfTheMiniStreamWhenItGrows) {
  std::string stream = fixture_stream({}, {{u"Data", 0, worksheet("")}});
  ASSERT_LT(stream.size(), 4096u);
  xls::Workbook workbook = xls::Workbook::open_bytes(fixture_file(stream), "small");
  for (int row = 1; row <= 300; ++row)
    workbook.set_text(0, row, 1, u"zeile " + std::u16string(1, u'A' + row % 26));
  TempFolder folder;
  write_file(folder / "grown.xls", workbook.to_bytes());
  EXPECT_GT(workbook_stream(workbook.to_bytes()).size(), 4096u);
  const ReadBack read = read_back({folder / "grown.xls"}).begin()->second;
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.cells.at({0, 300, 1}), "1\t15\t'zeile O'");
}

TEST(CompoundFile, LargeFileNeedsMoreThanTheHeadersFatListAndStaysReadable) {
  // 8 MB in 512-byte sectors needs more FAT sectors than the header lists (109).
  const std::string big = pattern(8u << 20, 4);
  const std::string bytes =
      xls::CompoundFile::create({{u"Daten", big}, {u"klein", "x"}}).serialize();
  const xls::CompoundFile parsed = xls::CompoundFile::parse(bytes);
  EXPECT_TRUE(parsed.entry(*parsed.find_root_stream(u"daten")).data == big);
  TempFolder folder;
  write_file(folder / "big.cfb", bytes);
  const ReadBack read = read_back({folder / "big.cfb"}).begin()->second;
  EXPECT_EQ(read.streams.size(), 2u);  // xlrd found both through the DIFAT
}

// A valid file broken in one place.
struct Damage {
  const char* name;
  void (*apply)(BuiltFile& file);
  const char* expected;  // part of the description
  friend void PrintTo(const Damage& value, std::ostream* out) { *out << value.name; }
};

void set32_at(std::string& s, std::size_t at, std::uint32_t v) {
  for (int b = 0; b < 4; ++b) s[at + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
}

std::size_t entry_at(const BuiltFile& f, std::size_t index) {
  return f.sector_offset(f.directory_sector) + 128 * index;
}

const Damage kDamages[] = {
    {"fat chain loops",
     [](BuiltFile& f) {
       const std::uint32_t s = f.first_sector[1];
       set32_at(f.bytes, f.sector_offset(f.fat_sector) + 4 * (s + 1), s);  // second sector -> first
     },
     "loops back"},
    {"directory loops", [](BuiltFile& f) { set32_at(f.bytes, entry_at(f, 3) + 72, 2); }, "loops"},
    {"stream starts beyond the end",
     [](BuiltFile& f) { set32_at(f.bytes, entry_at(f, 1) + 116, 90000); }, "beyond"},
    {"stream longer than the file",
     [](BuiltFile& f) { set32_at(f.bytes, entry_at(f, 4) + 120, 0x7FFFFFFF); }, "claims"},
    {"link to a missing entry", [](BuiltFile& f) { set32_at(f.bytes, entry_at(f, 0) + 76, 77); },
     "missing entry"},
    {"bad byte order", [](BuiltFile& f) { f.bytes[28] = 0; }, "header"},
    {"cut in half", [](BuiltFile& f) { f.bytes.resize(f.bytes.size() / 2); }, ""},
    {"fat sector count too large", [](BuiltFile& f) { set32_at(f.bytes, 44, 0x10000000); }, "FAT"},
};

class DamagedCompoundFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedCompoundFile, IsRefusedWithADescription) {
  BuiltFile file = build_compound_file(3, sample_entries());
  GetParam().apply(file);
  try {
    xls::Workbook::open_bytes(file.bytes, "broken.xls");
    FAIL() << "opened a damaged file";
  } catch (const xls::Error& error) {
    EXPECT_EQ(error.kind(), xls::ErrorKind::unreadable);
    EXPECT_NE(std::string(error.what()).find("broken.xls"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find(GetParam().expected), std::string::npos)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedCompoundFile, ::testing::ValuesIn(kDamages),
                         [](const auto& test) {
                           std::string name = test.param.name;
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace xls_test
