// The sample recording into templates that compute: the formulas and the chart of a
// template made by LibreOffice see numbers and times, a column the template formats as Text
// keeps text, and the 1904 date system gives its own serials. LibreOffice recalculates the
// results (through a CSV conversion), and the workbooks hold them as saved (read by xlrd);
// the expected values come from the recording itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "automation/export_harness.h"
#include "support/xlrd_sheet.h"
#include "xls/templates.h"
#include "xls/xls_test_support.h"

namespace schreiber::testing {
namespace {

// The templates (typed_*.xls, made by tests/xls/make_lo_templates.py), LibreOffice's CSV
// conversion and the xlrd reader of the workbook engine's tests.
using xls_test::quoted;
using xls_test::run;
using xls_test::templates;

// What the recording holds, read here on its own: per exported block its name and the
// (time, value) pairs of its data fields.
struct Series {
  std::string name;
  std::vector<std::string> times;
  std::vector<double> values;
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

std::vector<Series> exported_series(const std::string& recording) {
  std::vector<Series> out;
  for (const std::string& chunk : split(recording, '\x11')) {
    const std::string block = chunk.substr(0, chunk.find('\x13'));
    const auto fields = split(block, '\x01');
    if (fields.size() < 2 || fields[1].rfind("K\x02", 0) != 0) continue;
    const auto header = split(fields[1].substr(2), '\x03');
    if (header.size() < 3 || header[2] != "1") continue;
    Series series{header[0], {}, {}};
    for (std::size_t f = 2; f < fields.size(); ++f) {
      const auto parts = split(fields[f].substr(fields[f].find('\x02') + 1), '\x03');
      series.times.push_back(parts.at(0));
      series.values.push_back(std::stod(parts.at(1)));
    }
    out.push_back(series);
  }
  return out;
}

double minutes(const std::string& time) {
  return std::stoi(time.substr(0, 2)) * 60 + std::stoi(time.substr(3, 2)) +
         std::stoi(time.substr(6, 2)) / 60.0;
}

class TypedRoad : public ::testing::Test {
 protected:
  // Converts the capture with `template_file` as the template of every block.
  void convert(const std::string& template_file, const std::string& capture,
               std::int32_t max_stx_count) {
    std::filesystem::copy_file(templates() / template_file, h.folder / "FILES/Vor/1.xls");
    write_file(h.folder / "Schreiber.txt", capture);
    h.module1.MaxStxCount = max_stx_count;
    EXPECT_THROW(h.module1.ConvertCaptureFile(), platform::ProgramEnded);
    EXPECT_EQ(h.ended, 0);
  }

  // Sheet "Data" of each workbook as LibreOffice computes it, one CSV line per row.
  std::map<std::string, std::vector<std::string>> recalculated(
      const std::vector<std::string>& workbooks) {
    std::vector<std::filesystem::path> files;
    for (const auto& name : workbooks) files.push_back(h.folder / "Data" / name);
    const auto out = h.folder / "csv";
    std::filesystem::create_directories(out);
    xls_test::convert_to_csv(out, files, xls_test::CsvCells::values);
    std::map<std::string, std::vector<std::string>> sheets;
    for (const auto& name : workbooks) {
      const auto csv = out / (std::filesystem::path(name).stem().string() + "-Data.csv");
      sheets[name] = split(read_file(csv), '\n');
    }
    return sheets;
  }

  ExportHarness h{automation::make_default_automation()};
};

std::string sample_recording() {
  return read_file(std::filesystem::path(SCHREIBER_SOURCE_DIR) / "samples/recording.bin");
}

TEST_F(TypedRoad, FormulasAndChartOverDataComputeTheRecordingsValues) {
  const std::string recording = sample_recording();
  convert("typed_formulas.xls", recording, 1000);
  const auto series = exported_series(recording);
  ASSERT_EQ(series.size(), 3u);
  std::vector<std::string> names;
  for (const auto& s : series) names.push_back(s.name + "_20310307_1405.xls");

  const auto sheets = recalculated(names);
  for (std::size_t k = 0; k < series.size(); ++k) {
    const Series& s = series[k];
    SCOPED_TRACE(s.name);
    const auto read = read_with_xlrd(h.folder / "Data" / names[k], "Data");
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.types.at({6, 2}), "date");  // a time of day, with a time format
    EXPECT_EQ(read.formats.at({6, 2}), "h:mm:ss");
    EXPECT_EQ(read.types.at({6, 3}), "number");
    EXPECT_EQ(read.types.at({6, 4}), "text");  // the unit
    EXPECT_EQ(read.types.at({5, 1}), "number") << "the block number 001";

    // Row 2: SUM, AVERAGE, COUNT, MAX over C6:C100 and the minutes from B6 to B7, as
    // LibreOffice recalculates them and as the workbook stores them (xlrd never computes).
    const auto recalculated_row = split(sheets.at(names[k]).at(1), ',');
    ASSERT_GE(recalculated_row.size(), 6u) << sheets.at(names[k]).at(1);
    std::vector<std::string> stored_row{""};
    for (int column = 2; column <= 6; ++column) {
      EXPECT_EQ(read.types.at({2, column}), "number") << "column " << column;
      stored_row.push_back(read.cells.at({2, column}));
    }
    double sum = 0;
    for (double v : s.values) sum += v;
    for (const auto& row : {recalculated_row, stored_row}) {
      EXPECT_NEAR(std::stod(row[1]), sum, 1e-9);
      EXPECT_NEAR(std::stod(row[2]), sum / s.values.size(), 1e-9);
      EXPECT_EQ(std::stod(row[3]), static_cast<double>(s.values.size()));
      EXPECT_NEAR(std::stod(row[4]), *std::max_element(s.values.begin(), s.values.end()), 1e-9);
      EXPECT_NEAR(std::stod(row[5]), minutes(s.times[1]) - minutes(s.times[0]), 1e-6);
    }
  }
}

TEST_F(TypedRoad, AColumnTheTemplateFormatsAsTextKeepsText) {
  convert("typed_text_column.xls", sample_recording(), 1000);
  const auto read = read_with_xlrd(h.folder / "Data/Vorlauf_K1_20310307_1405.xls", "Data");
  ASSERT_EQ(read.error, "");
  EXPECT_EQ(read.types.at({6, 3}), "text");
  EXPECT_EQ(read.cells.at({6, 3}), "61.4");
  EXPECT_EQ(read.types.at({6, 2}), "date") << "other columns are still typed";
}

TEST_F(TypedRoad, TheDateSystemOfTheTemplateGivesTheSerial) {
  // A header whose date field is US-style, and a data field with a date and a time, a
  // month of a year and a fraction.
  const std::string capture =
      "\x11\x01K\x02"
      "D\x03"
      "1\x03"
      "1\x03"
      "1\x03"
      "c\x03"
      "3/12/2024\x01M\x02"
      "3/12/2024 6:00\x03"
      "1\x03"
      "12/2024\x03"
      "2 1/125\x13x\x14";
  for (const char* file : {"typed_dates_1904.xls", "typed_formulas.xls"}) {
    SCOPED_TRACE(file);
    std::filesystem::remove(h.folder / "FILES/Vor/1.xls");
    std::filesystem::remove(h.folder / "Data/D_20310307_1405.xls");
    h.module1.ExcelStarted = false;
    h.ended.reset();
    convert(file, capture, 1);
    const auto read = read_with_xlrd(h.folder / "Data/D_20310307_1405.xls", "Data");
    ASSERT_EQ(read.error, "");
    // Days from the system's day zero to 12 March 2024: 31 Dec 1899 (with the 1900 system's
    // 29 Feb 1900) or 1 Jan 1904.
    const double day = read.datemode == 1 ? 43901 : 45363;
    EXPECT_EQ(read.datemode, std::string(file) == "typed_dates_1904.xls" ? 1 : 0);
    EXPECT_EQ(read.types.at({5, 7}), "date");
    EXPECT_DOUBLE_EQ(std::stod(read.cells.at({5, 7})), day);
    EXPECT_DOUBLE_EQ(std::stod(read.cells.at({6, 2})), day + 0.25);
    EXPECT_EQ(read.types.at({6, 4}), "date");  // 1 December 2024, shown as month and year
    EXPECT_EQ(read.formats.at({6, 4}), "mmm-yy");
    EXPECT_DOUBLE_EQ(std::stod(read.cells.at({6, 4})), day + 264);
    EXPECT_EQ(read.types.at({6, 5}), "number");  // in a fraction format of the workbook's own
    EXPECT_EQ(read.formats.at({6, 5}), "# ?\?\?/???");
    EXPECT_DOUBLE_EQ(std::stod(read.cells.at({6, 5})), 2.008);
  }
}

// Every workbook from one template gets one clone per (cell format, number format) it
// needs, whatever the number of workbooks: a bold, bordered cell that receives "50%" keeps
// its font and borders and shows a percentage.
TEST_F(TypedRoad, FormatClonesAreOnePerCellFormatAndNumberFormatInEveryWorkbook) {
  const auto template_path = h.folder / "FILES/Vor/1.xls";
  run("/usr/bin/python3 -c \"import sys, xlwt; b = xlwt.Workbook(); s = b.add_sheet('Data'); "
      "s.write(5, 2, 7, xlwt.easyxf('font: bold on; borders: left thin, bottom thick')); "
      "b.save(sys.argv[1])\" " +
      quoted(template_path));
  constexpr int kWorkbooks = 200;
  std::string capture;
  for (int i = 0; i < kWorkbooks; ++i) {
    capture += "\x11\x01K\x02" + std::to_string(i) + "\x03" + "1\x03" + "1\x01M\x02" +
               "08:00:00\x03" + "50%\x13x";
  }
  write_file(h.folder / "Schreiber.txt", capture + "\x14");
  h.module1.MaxStxCount = 2;
  EXPECT_THROW(h.module1.ConvertCaptureFile(), platform::ProgramEnded);

  // The template, then each workbook: its number of cell formats and the cell C6 as xlrd
  // sees it (read_back.py: value, and its cell format's number format, font and borders).
  std::vector<std::filesystem::path> workbooks;
  for (int i = 0; i < kWorkbooks; ++i)
    workbooks.push_back(h.folder / "Data" / (std::to_string(i) + "_20310307_1405.xls"));
  std::vector<std::filesystem::path> files = {template_path};
  files.insert(files.end(), workbooks.begin(), workbooks.end());
  const auto read = xls_test::read_back(files);
  ASSERT_EQ(read.size(), kWorkbooks + 1u);
  const std::size_t template_formats = read.at(template_path.string()).formats.size();
  // One entry of the repr() of an xlrd object's attributes: "'bold': 1" gives "1".
  const auto attribute = [](const std::string& rest, const std::string& name) {
    const std::string key = "'" + name + "': ";
    const std::size_t at = rest.find(key);
    if (at == std::string::npos) return std::string("missing");
    const std::size_t from = at + key.size();
    return rest.substr(from, rest.find_first_of(",}", from) - from);
  };
  for (int i = 0; i < kWorkbooks; ++i) {
    SCOPED_TRACE("workbook " + std::to_string(i));
    const xls_test::ReadBack& book = read.at(workbooks[i].string());
    // Three clones: the header's date and the time get date and time formats, the bold cell
    // a percent format.
    EXPECT_EQ(book.formats.size(), template_formats + 3);
    const auto cell = split(book.cells.at({0, 6, 3}), '\t');  // type, cell format, value
    ASSERT_EQ(cell.size(), 3u);
    EXPECT_EQ(cell[2], "0.5");
    const xls_test::ReadBack::Format& format = book.formats.at(std::stoul(cell[1]));
    EXPECT_EQ(format.number_format, "'0%'");
    EXPECT_EQ(attribute(format.rest, "bold"), "1");
    EXPECT_EQ(attribute(format.rest, "left_line_style"), "1");
    EXPECT_EQ(attribute(format.rest, "bottom_line_style"), "5");
  }
}

// A template with a filled-down formula column beside the values (F6:F200 = C*1.8+32, one
// shared formula): after the sample recording, and after it with one more sub-field in the
// first data row (whose end marker then lands on F6, the shared formula's first cell),
// LibreOffice shows every formula of the column but the overwritten one, computed from the
// recording.
TEST_F(TypedRoad, AFilledDownFormulaColumnKeepsItsFormulasBesideTheRecording) {
  const std::string sample = sample_recording();
  const std::string first_row =
      "M\x02"
      "08:00:00\x03"
      "61.4\x03\xB0"
      "C";
  std::string longer = sample;
  longer.insert(longer.find(first_row) + first_row.size(),
                "\x03"
                "mehr");
  for (const bool overwritten : {false, true}) {
    const std::string& recording = overwritten ? longer : sample;
    SCOPED_TRACE(overwritten ? "one more sub-field in row 6" : "sample recording");
    std::filesystem::remove_all(h.folder / "Data");
    std::filesystem::create_directories(h.folder / "Data");
    std::filesystem::remove(h.folder / "FILES/Vor/1.xls");
    h.module1.ExcelStarted = false;
    h.ended.reset();
    convert("lo_filled_down.xls", recording, 1000);
    const auto series = exported_series(recording);
    std::string files;
    for (const auto& s : series)
      files += " " + quoted(h.folder / "Data" / (s.name + "_20310307_1405.xls"));
    // file, sheet, cell, formula, value: the formula cells of each workbook
    std::map<std::string, std::map<int, std::pair<std::string, double>>> column;
    std::istringstream lines(xls_test::libreoffice_cells("dump" + files));
    for (std::string line; std::getline(lines, line);) {
      const auto parts = split(line, '\t');
      if (parts.size() != 5 || parts[2][0] != 'F') continue;
      const auto name = std::filesystem::path(parts[0]).filename().string();
      column[name][std::stoi(parts[2].substr(1))] = {parts[3], std::stod(parts[4])};
    }
    for (const auto& s : series) {
      SCOPED_TRACE(s.name);
      const auto& formulas = column[s.name + "_20310307_1405.xls"];
      const bool first_gone = overwritten && &s == &series.front();
      EXPECT_EQ(formulas.size(), first_gone ? 194u : 195u);
      for (int row = first_gone ? 7 : 6; row <= 200; ++row) {
        const auto found = formulas.find(row);
        ASSERT_NE(found, formulas.end()) << "F" << row;
        EXPECT_EQ(found->second.first, "=C" + std::to_string(row) + "*1.8+32");
        const std::size_t k = row - 6;
        EXPECT_NEAR(found->second.second, (k < s.values.size() ? s.values[k] : 0) * 1.8 + 32, 1e-9)
            << "F" << row;
      }
    }
  }
}

}  // namespace
}  // namespace schreiber::testing
