// Opening: the workbook stream under each of its names, and refusals of files the engine
// must not edit (missing, not a compound file, truncated, older formats, encrypted,
// inconsistent records), each with number 1004 and a description naming the file.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "biff_fixture.h"
#include "xls/compound_file.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

std::string one_sheet_stream() {
  return fixture_stream({u"a"}, {{u"Data", 0, worksheet("")}});
}

TEST(WorkbookOpen, FindsTheWorkbookStreamUnderEachOfItsNames) {
  for (const std::u16string name : {u"Workbook", u"WORKBOOK", u"Book", u"BOOK"}) {
    const xls::Workbook workbook =
        xls::Workbook::open_bytes(fixture_file(one_sheet_stream(), name));
    EXPECT_EQ(workbook.sheet_names(), std::vector<std::u16string>{u"Data"});
  }
}

TEST(WorkbookOpen, MissingFileNamesTheFile) {
  TempFolder folder;
  try {
    xls::Workbook::open(folder / "fehlt.xls");
    FAIL();
  } catch (const xls::Error& error) {
    EXPECT_EQ(error.kind(), xls::ErrorKind::file_access);
    EXPECT_NE(std::string(error.what()).find("fehlt.xls"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("No such file"), std::string::npos) << error.what();
  }
  EXPECT_THROW(xls::Workbook::open(folder.path()), xls::Error);  // a folder
}

struct Refusal {
  const char* name;
  std::string (*file)();
  const char* expected;
  friend void PrintTo(const Refusal& value, std::ostream* out) { *out << value.name; }
};

const Refusal kRefusals[] = {
    {"text_file", [] { return std::string("Name;Wert\nPumpe;12\n"); }, "not a compound document"},
    {"biff5",
     [] {
       const std::string stream =
           record(0x0809, "0005 0500 BB0D CC07 00000000") +  // BOF: BIFF5 globals
           record(0x000A, "");
       return fixture_file(stream, u"Book");
     },
     "BIFF5"},
    {"biff4",
     [] { return fixture_file(record(0x0409, "0000 1000 0000") + record(0x000A, ""), u"Book"); },
     "old format"},
    {"encrypted",
     [] {
       // FILEPASS: RC4 encryption (1), version 1.1, salt, verifier and its hash: the
       // spreadsheet's default password encrypts exactly like any other.
       const std::string filepass = record(0x002F, "0100 0100 0100" + std::string(96, '5'));
       return fixture_file(fixture_stream({}, {{u"Data", 0, worksheet("")}}, filepass));
     },
     "encrypted"},
    {"record_past_end",
     [] {
       std::string stream = one_sheet_stream();
       stream.resize(stream.size() - 3);
       return fixture_file(stream);
     },
     "runs past the end"},
    {"no_end_of_globals",
     [] { return fixture_file(record(0x0809, "0006 0500 BB0D CC07 00000000 06000000")); },
     "ends before"},
    {"sheet_points_nowhere",
     [] {
       std::string stream = one_sheet_stream();
       const std::size_t position =
           stream.find(std::string("\x85\x00", 2)) + 4;  // BOUNDSHEET's first field
       stream[position] = static_cast<char>(stream[position] + 1);
       return fixture_file(stream);
     },
     "where no sheet begins"},
    {"sheet_first", [] { return fixture_file(worksheet("")); }, "globals"},
    {"no_workbook_stream", [] { return fixture_file(one_sheet_stream(), u"Daten"); },
     "no Workbook stream"},
    {"empty_stream", [] { return fixture_file("", u"Workbook"); }, "empty"},
};

class RefusedFile : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedFile, IsRefusedAsUnreadableNamingTheFileAndLeavesItAlone) {
  TempFolder folder;
  const auto path = folder / "vorlage.xls";
  const std::string bytes = GetParam().file();
  write_file(path, bytes);
  try {
    xls::Workbook::open(path);
    FAIL() << "opened " << GetParam().name;
  } catch (const xls::Error& error) {
    EXPECT_EQ(error.kind(), xls::ErrorKind::unreadable);
    EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find(GetParam().expected), std::string::npos)
        << error.what();
  }
  EXPECT_EQ(read_file(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedFile, ::testing::ValuesIn(kRefusals),
                         [](const auto& test) { return std::string(test.param.name); });

// Every prefix of a saved workbook is refused as unreadable or read as a prefix of the
// original cells (same order, same values): never as cells the file does not hold, and
// never followed past its end. What was read can still be edited and saved.
TEST(WorkbookOpen, EveryTruncatedFileIsRefusedOrReadAsAPrefixOfItsCells) {
  xls::Workbook source = xls::Workbook::create_blank();
  for (int row = 1; row <= 200; ++row)
    source.set_text(0, row, 1 + row % 5, u"Zeile " + std::u16string(row % 40, u'z'));
  source.set_number(0, 201, 2, 61.4);
  const std::string bytes = source.to_bytes();
  const std::vector<xls::Cell> original = xls::Workbook::open_bytes(bytes).cells(0);
  ASSERT_EQ(original.size(), 201u);
  std::size_t refused = 0;
  std::size_t read = 0;
  std::vector<std::size_t> wrong;  // lengths read as other cells, or refused otherwise
  for (std::size_t length = 0; length <= bytes.size(); ++length) {
    try {
      xls::Workbook workbook = xls::Workbook::open_bytes(bytes.substr(0, length));
      const std::vector<xls::Cell> cells = workbook.cells(0);
      if (cells.size() > original.size() ||
          !std::equal(cells.begin(), cells.end(), original.begin()))
        wrong.push_back(length);
      workbook.set_text(0, 1, 1, u"x");
      workbook.to_bytes();
      ++read;
    } catch (const xls::Error& error) {
      if (error.kind() != xls::ErrorKind::unreadable) wrong.push_back(length);
      ++refused;
    }
  }
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " lengths, the first " << wrong.front();
  EXPECT_GT(refused, 0u);
  EXPECT_GT(read, 0u);  // the whole file at least
}

}  // namespace
}  // namespace xls_test
