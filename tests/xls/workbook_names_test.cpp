// The workbook's names as formulas use them, from globals records in hex: sheet references
// of this workbook, another workbook and the add-ins, defined names global and local, and
// entries added for compiled formulas, written back and read again.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "biff_fixture.h"
#include "xls/formula/workbook_names.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"

namespace xls_test {
namespace {

using xls::Record;
using xls::formula::SheetSpan;
using xls::formula::WorkbookNames;
namespace rec = xls::rec;

struct Globals {
  std::vector<std::string> bodies;
  std::vector<std::uint16_t> ids;
  std::vector<Record> records() const {
    std::vector<Record> out;
    for (std::size_t k = 0; k < ids.size(); ++k) out.push_back({ids[k], bodies[k]});
    return out;
  }
  void add(std::uint16_t id, std::string body) {
    ids.push_back(id);
    bodies.push_back(std::move(body));
  }
};

Globals sample_globals() {
  Globals g;
  g.add(rec::kBoundSheet, hex("00000000 00 00 04 00 44617461"));      // "Data"
  g.add(rec::kBoundSheet, hex("00000000 00 00 05 00 5375 6d6d 61"));  // "Summa"
  g.add(rec::kBoundSheet, hex("00000000 00 00 05 00 4f74686572"));    // "Other"
  g.add(rec::kCountry, hex("0100 3100"));
  g.add(rec::kSupBook, hex("0300 0104"));  // this workbook, 3 sheets
  // another workbook: path "\x01book.xls" (encoded), one sheet "S1"
  g.add(rec::kSupBook, hex("0100 0900 00 01 626f6f6b2e786c73 0200 00 5331"));
  g.add(rec::kExternName, hex("0000 00000000 04 00 5261746521 0200 1c17"));  // "Rate!"... name
  g.add(rec::kSupBook, hex("0100 013a"));                                    // the add-ins
  g.add(rec::kExternName, hex("0000 00000000 05 00 4544415445 0200 1c17"));  // EDATE
  g.add(rec::kExternSheet,
        hex("0500"               // five entries
            "0000 0000 0000"     // 0: Data
            "0000 0000 0200"     // 1: Data:Other
            "0100 0000 0000"     // 2: [book.xls]S1
            "0200 feff feff"     // 3: the add-ins
            "0000 ffff ffff"));  // 4: a deleted sheet
  // NAME "Rate" global, formula Data!$A$1 (PtgRef3d entry 0)
  g.add(rec::kName, hex("0000 00 04 0700 0000 0000 00000000 00 52617465 3a 0000 0000 0000"));
  // NAME "rate" local to sheet 2 (itab 2), formula 5 (PtgInt)
  g.add(rec::kName, hex("0000 00 04 0300 0000 0200 00000000 00 72617465 1e 0500"));
  // built-in Print_Area of sheet 1
  g.add(rec::kName, hex("2000 00 01 0300 0000 0100 00000000 00 06 1e 0100"));
  g.add(rec::kSst, hex("00000000 00000000"));
  g.add(rec::kEof, "");
  return g;
}

TEST(WorkbookNames, ReadsSheetReferencesNamesAndAddIns) {
  const Globals g = sample_globals();
  const WorkbookNames names(g.records(), {u"Data", u"Summa", u"Other"});
  struct Row {
    std::uint16_t entry;
    std::optional<SheetSpan> sheets;
    std::u16string book, first, last;
    bool deleted;
  };
  const Row rows[] = {
      {0, SheetSpan{0, 0}, u"", u"Data", u"Data", false},
      {1, SheetSpan{0, 2}, u"", u"Data", u"Other", false},
      {2, std::nullopt, u"book.xls", u"S1", u"S1", false},
      {3, std::nullopt, u"", u"", u"", false},
      {4, std::nullopt, u"", u"", u"", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    EXPECT_EQ(names.sheets(row.entry), row.sheets);
    const auto reference = names.sheet_reference(row.entry);
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->book, row.book);
    EXPECT_EQ(reference->first_sheet, row.first);
    EXPECT_EQ(reference->last_sheet, row.last);
    EXPECT_EQ(reference->deleted, row.deleted);
  }
  EXPECT_FALSE(names.sheet_reference(5));

  const auto edate = names.external_name(3, 1);
  ASSERT_TRUE(edate);
  EXPECT_EQ(edate->name, u"EDATE");
  EXPECT_TRUE(edate->add_in);
  EXPECT_FALSE(names.external_name(3, 2));
  EXPECT_FALSE(names.external_name(2, 1)->add_in);

  ASSERT_TRUE(names.name(1));
  EXPECT_EQ(names.name(1)->name, u"Rate");
  EXPECT_EQ(names.name(1)->tokens, hex("3a 0000 0000 0000"));
  EXPECT_FALSE(names.name(1)->sheet);
  EXPECT_EQ(names.name(2)->sheet, 1);
  EXPECT_EQ(names.name(3)->name, u"Print_Area");
  EXPECT_EQ(names.name(4), nullptr);
  // A sheet's own name comes before the workbook's; other sheets see the workbook's.
  EXPECT_EQ(names.name_index(u"RATE", 1), 2);
  EXPECT_EQ(names.name_index(u"rate", 0), 1);
  EXPECT_FALSE(names.name_index(u"nothing", 0));
  EXPECT_EQ(names.sheet_index(u"other"), 2);
}

// Replays the globals as the workbook writer does and reads the result again.
WorkbookNames written_again(const Globals& g, const WorkbookNames& names, Globals& out) {
  std::string bytes;
  const auto records = g.records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    names.write_before(i, bytes);
    if (names.replaces(i)) continue;
    xls::append_record(bytes, records[i].id, records[i].data);
  }
  for (std::size_t at = 0; at < bytes.size();) {
    const std::uint16_t id = xls::get_u16(bytes.data() + at);
    const std::uint16_t size = xls::get_u16(bytes.data() + at + 2);
    out.add(id, bytes.substr(at + 4, size));
    at += 4 + size;
  }
  return WorkbookNames(out.records(), {u"Data", u"Summa", u"Other"});
}

TEST(WorkbookNames, AddedEntriesAreWrittenAndReadBack) {
  struct Case {
    const char* name;
    Globals globals;
  };
  Globals bare;
  bare.add(rec::kBoundSheet, hex("00000000 00 00 04 00 44617461"));
  bare.add(rec::kBoundSheet, hex("00000000 00 00 05 00 5375 6d6d 61"));
  bare.add(rec::kBoundSheet, hex("00000000 00 00 05 00 4f74686572"));
  bare.add(rec::kEof, "");
  const Case cases[] = {{"with_references", sample_globals()}, {"without_any", bare}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WorkbookNames names(c.globals.records(), {u"Data", u"Summa", u"Other"});
    const auto existing = names.externsheet_for({0, 0});
    const auto added = names.externsheet_for({1, 1});
    const auto edate = names.add_in_function(u"EDATE");
    const auto eomonth = names.add_in_function(u"EOMONTH");
    ASSERT_TRUE(existing && added && edate && eomonth);
    EXPECT_TRUE(names.changed());
    EXPECT_EQ(names.externsheet_for({1, 1}), added);  // found, not added twice

    Globals out;
    const WorkbookNames again = written_again(c.globals, names, out);
    EXPECT_EQ(again.sheets(*existing), (SheetSpan{0, 0}));
    EXPECT_EQ(again.sheets(*added), (SheetSpan{1, 1}));
    EXPECT_EQ(again.external_name(edate->externsheet, edate->index)->name, u"EDATE");
    EXPECT_EQ(again.external_name(eomonth->externsheet, eomonth->index)->name, u"EOMONTH");
    EXPECT_EQ(out.ids.back(), rec::kEof);
    // What the workbook had before keeps its index.
    if (c.globals.ids.size() > 4) {
      EXPECT_EQ(again.sheet_reference(2)->book, u"book.xls");
      EXPECT_EQ(again.name(1)->name, u"Rate");
      EXPECT_EQ(edate->externsheet, 3);
      EXPECT_EQ(edate->index, 1);
    }
  }
}

}  // namespace
}  // namespace xls_test
