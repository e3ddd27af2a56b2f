// Templates made at test time by other producers (python3-xlwt, LibreOffice) and by the
// engine itself: cells are written, the file is saved, opened again, written and saved a
// second time; xlrd then finds the written cells holding their text, every other cell of
// every sheet unchanged, and every stream but the workbook's byte-identical.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <variant>

#include "biff_fixture.h"
#include "stream_check.h"
#include "templates.h"
#include "xls/text.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

struct Write {
  int row, column;
  std::u16string text;
  int new_cell_format = -1;  // for a cell that was empty; otherwise it keeps its own
};

struct ProducerCase {
  const char* name;
  const char* file;
  std::u16string sheet;              // as the caller spells it
  std::vector<Write> first, second;  // before the first save, before the second
  // Formula results the writes change (computed on save): sheet, row, column from 1, the
  // new number or text.
  struct Computed {
    int sheet, row, column;
    std::variant<double, std::u16string> value;
  };
  std::vector<Computed> computed = {};
  friend void PrintTo(const ProducerCase& value, std::ostream* out) { *out << value.name; }
};

const ProducerCase kCases[] = {
    {"xlwt_plain",
     "plain.xls",
     u"data",
     {{1, 1, u"Kopf"}, {2, 2, u"zwölf"}},
     {{10, 5, u"neu", 16}}},
    {"xlwt_middle_sheet",
     "multi.xls",
     u"Data",
     {{1, 1, u"überschrieben"}, {3, 3, u"Ωμέγα", 16}},
     {{2, 2, u"z"}}},
    {"xlwt_kinds",
     "kinds.xls",
     u"Data",
     {{2, 1, u"statt Formel"}, {2, 5, u"mitten im Lauf"}, {1, 5, u"statt TRUE"}},
     {{1, 6, u"statt Fehler"}, {1, 4, u"statt 0.1"}, {2, 2, u"statt Datum"}}},
    {"xlwt_256_columns",
     "wide.xls",
     u"Data",
     {{1, 256, u"letzte"}, {3, 256, u"neu", 16}},
     {{2, 128, u"mitte"}}},
    {"xlwt_long_strings",
     "long.xls",
     u"Data",
     {{1, 1, u"kurz statt lang"}, {1600, 2, u"unten", 16}},
     {{2, 1, std::u16string(9000, u'Я')}}},
    {"xlwt_many_blocks",
     "blocks.xls",
     u"Data",
     {{2, 3, u"a", 16}, {40, 3, u"b", 16}, {77, 3, u"c", 16}, {150, 3, u"d", 16}},
     {{199, 1, u"e"}, {300, 1, u"f", 16}}},
    {"libreoffice_chart_merged",
     "lo_chart.xls",
     u"Data",
     {{2, 2, u"statt Zahl"}, {1, 4, u"verbunden"}},
     {{30, 1, u"neu", 15}}},
    {"libreoffice_formulas",
     "lo_formulas.xls",
     u"DATA",
     {{3, 3, u"mitten im MULRK"}, {4, 1, u"statt Textformel"}},
     {{1, 1, u"xyz"}, {8, 8, u"neu", 15}},
     // SUM(A3:F3) passes over the text in C3; LEN(Data!A1); Data!A1&Data!B1
     {{0, 4, 2, 114.5}, {1, 1, 1, 3.0}, {1, 3, 1, u"xyz5"}, {1, 4, 1, 114.5}}},
    {"engine_blank",
     "blank.xls",
     u"Data",
     {{1, 1, u"erste", 15}, {65536, 256, u"letzte", 15}},
     {{5, 3, u"Ωμέγα", 15}}},
};

class Producers : public ::testing::TestWithParam<ProducerCase> {
 protected:
  void SetUp() override {
    folder_ = templates();
    xls::Workbook::create_blank().save_as(work_ / "blank.xls");
  }
  std::filesystem::path template_path(const char* file) const {
    return std::string(file) == "blank.xls" ? work_ / file : folder_ / file;
  }
  std::filesystem::path folder_;
  TempFolder work_;
};

// The cell format number in a read_back.py cell line ("type<TAB>format<TAB>value").
// A number as Python's repr writes it (the read-back script prints repr of xlrd's values):
// 3.0, 114.5.
std::string python_repr(double number) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, number == std::floor(number) ? "%.1f" : "%.17g", number);
  return buffer;
}

std::string format_of(const std::string& cell) {
  const std::size_t first = cell.find('\t');
  return cell.substr(first + 1, cell.find('\t', first + 1) - first - 1);
}

// A number format code from its Python spelling in read_back.py's output ('0.0%').
std::u16string format_code(const std::string& repr) {
  std::string code;
  for (std::size_t i = 1; i + 1 < repr.size(); ++i) {
    if (repr[i] == '\\' && i + 2 < repr.size()) ++i;
    code += repr[i];
  }
  return xls::utf8_to_utf16(code);
}

std::string xlrd_text(const std::u16string& text) {
  return "'" + xls::utf16_to_utf8(text) + "'";
}

TEST_P(Producers, WrittenCellsHoldTheirTextAndEverythingElseStays) {
  const ProducerCase& c = GetParam();
  const auto template_path = this->template_path(c.file);
  const std::string template_bytes = read_file(template_path);
  const auto work = work_ / (std::string(c.name) + ".xls");
  write_file(work, template_bytes);

  const ReadBack before = read_back({template_path}).begin()->second;
  ASSERT_EQ(before.error, "");
  ReadBack expected = before;
  std::vector<std::vector<xls::Cell>> own_expected;
  {
    const xls::Workbook original = xls::Workbook::open(template_path);
    for (std::size_t s = 0; s < original.sheet_count(); ++s)
      own_expected.push_back(original.cells(s));
  }

  for (const auto* batch : {&c.first, &c.second}) {
    xls::Workbook workbook = xls::Workbook::open(work);
    const auto sheet = workbook.find_sheet(c.sheet);
    ASSERT_TRUE(sheet.has_value());
    for (const Write& w : *batch) {
      workbook.set_text(*sheet, w.row, w.column, w.text);
      const auto key = std::make_tuple(static_cast<int>(*sheet), w.row, w.column);
      const auto old = before.cells.find(key);
      const std::string format =
          old != before.cells.end() ? format_of(old->second) : std::to_string(w.new_cell_format);
      // A text keeps the number format of the cell format the cell (or its row, column, the
      // default) had, as xlrd reads it from the producer's file.
      const std::u16string number_format =
          format_code(before.formats.at(std::stoul(format)).number_format);
      expected.cells[key] = "1\t" + format + "\t" + xlrd_text(w.text);
      auto& own = own_expected[*sheet];
      std::erase_if(own, [&](const xls::Cell& cell) {
        return cell.row == static_cast<std::uint32_t>(w.row) &&
               cell.column == static_cast<std::uint32_t>(w.column);
      });
      xls::Cell written;
      written.row = w.row, written.column = w.column;
      written.value.kind = xls::CellKind::text, written.value.text = w.text;
      written.number_format = number_format;
      own.push_back(written);
    }
    workbook.save();
  }
  EXPECT_EQ(read_file(template_path), template_bytes);

  for (const auto& computed : c.computed) {
    const auto key = std::make_tuple(computed.sheet, computed.row, computed.column);
    const std::string format = format_of(expected.cells.at(key));
    auto& own = *std::find_if(own_expected[static_cast<std::size_t>(computed.sheet)].begin(),
                              own_expected[static_cast<std::size_t>(computed.sheet)].end(),
                              [&](const xls::Cell& cell) {
                                return cell.row == static_cast<std::uint32_t>(computed.row) &&
                                       cell.column == static_cast<std::uint32_t>(computed.column);
                              });
    if (const auto* number = std::get_if<double>(&computed.value)) {
      expected.cells[key] = "2\t" + format + "\t" + python_repr(*number);
      own.value.kind = xls::CellKind::number;
      own.value.number = *number;
    } else {
      const auto& text = std::get<std::u16string>(computed.value);
      expected.cells[key] = "1\t" + format + "\t" + xlrd_text(text);
      own.value.kind = xls::CellKind::text;
      own.value.text = text;
    }
  }

  const ReadBack after = read_back({work}).begin()->second;
  EXPECT_EQ(after.error, "");
  EXPECT_EQ(after.sheets, before.sheets);
  EXPECT_EQ(after.cells, expected.cells);
  EXPECT_EQ(after.streams, before.streams);

  const xls::Workbook reopened = xls::Workbook::open(work);
  for (std::size_t s = 0; s < reopened.sheet_count(); ++s) {
    auto& own = own_expected[s];
    std::sort(own.begin(), own.end(), [](const xls::Cell& a, const xls::Cell& b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    EXPECT_EQ(reopened.cells(s), own) << "sheet " << s;
  }
  const Report report = check_stream(workbook_stream(read_file(work)));
  EXPECT_EQ(report.problems, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Templates, Producers, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

// Formulas that depend on the written cells show fresh results once LibreOffice opens the
// workbook (converted to CSV, one file per sheet).
TEST_F(Producers, FormulasOverWrittenCellsShowFreshResults) {
  struct Case {
    const char* file;
    std::vector<Write> writes;
    const char* sheet;
    const char* csv;
  };
  const Case cases[] = {
      {"recalc.xls", {{1, 1, u"40"}, {1, 2, u"2"}}, "Summe", "42,402\n"},
      {"lo_formulas.xls",
       {{1, 1, u"abcdefgh"}, {1, 2, u"10"}},
       "Rechnung",
       "8\n17\nabcdefgh10\n117.5\n"},
  };
  const TempFolder out;
  std::vector<std::filesystem::path> files;
  for (const Case& c : cases) {
    xls::Workbook workbook = xls::Workbook::open(folder_ / c.file);
    for (const Write& w : c.writes) workbook.set_text(0, w.row, w.column, w.text);
    workbook.save_as(out / c.file);
    files.push_back(out / c.file);
  }
  convert_to_csv(out.path(), files);
  for (const Case& c : cases) {
    const std::string stem = std::filesystem::path(c.file).stem().string();
    EXPECT_EQ(read_file(out / (stem + "-" + c.sheet + ".csv")), c.csv) << c.file;
  }
}

}  // namespace
}  // namespace xls_test
