// Templates whose formulas span cells, each given one value through the embedded
// "Excel.Application": a filled-down column and columns side by side (shared formulas, as
// LibreOffice saves them), a shared formula over rows and columns (built here as the
// application writes one; LibreOffice shares per column only), array formulas, a protected
// sheet. LibreOffice is the oracle: it makes the same edit in the template itself, and every
// cell of our workbook, formulas and recalculated results, must read as in its own.
// Refused writes carry the application's number and description and leave the file as it
// was, byte for byte.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "platform/failure.h"
#include "support/failure_number.h"
#include "xls/biff_fixture.h"
#include "xls/templates.h"
#include "xls/xls_test_support.h"

namespace schreiber::testing {
namespace {

using xls_test::quoted;
using xls_test::record;

// Sheet "Data": numbers 1..9 in A1:C3, and A4:C6 sharing "the cell three rows up, times
// 10" (its first cell A4). FORMULA: cell, stored result, options (shared), reserved, token
// count, PtgExp to A4.
std::string two_dimensional_shared_formula() {
  std::string table;
  for (int k = 0; k < 9; ++k) {  // NUMBER: row, column, format 15, the value
    const std::string row = "0" + std::to_string(k / 3) + "00";
    const std::string column = "0" + std::to_string(k % 3) + "00";
    std::string value = xls_test::hex("0000000000000000");
    const double number = k + 1;
    std::memcpy(value.data(), &number, 8);
    table += xls_test::raw_record(0x0203, xls_test::hex(row + column + "0F00") + value);
  }
  for (int k = 0; k < 9; ++k) {
    const std::string cell =
        "0" + std::to_string(3 + k / 3) + "00 0" + std::to_string(k % 3) + "00";
    table += record(0x0006, cell + " 0F00 0000000000000000 0800 00000000 0500 01 0300 0000");
    // SHRFMLA A4:C6, reserved, 9 cells; 9 bytes: PtgRefN (value class) three rows up, same
    // column (both relative), PtgInt 10, PtgMul
    if (k == 0) table += record(0x04BC, "0300 0500 00 02 00 09 0900 4C FDFF 00C0 1E0A00 05");
  }
  return xls_test::fixture_file(
      xls_test::fixture_stream({}, {{u"Data", 0, xls_test::worksheet(table)}}));
}

constexpr const char* kArrayRefusal = "You can't change part of an array.";
constexpr const char* kProtectedRefusal =
    "The cell or chart you're trying to change is on a protected sheet.";

struct TemplateWrite {
  const char* what;
  const char* file;  // a template of make_lo_templates.py, or "" for the one built above
  const char* sheet;
  int row, column;
  const char* refusal;  // the start of the description, or nullptr when the write is taken
};

const TemplateWrite kWrites[] = {
    {"filled_down_column_first_cell", "lo_formula_groups.xls", "Data", 6, 6, nullptr},
    {"filled_down_column_middle_cell", "lo_formula_groups.xls", "Data", 100, 6, nullptr},
    {"filled_down_column_last_cell", "lo_formula_groups.xls", "Data", 200, 6, nullptr},
    {"column_beside_another_first_cell", "lo_formula_groups.xls", "Data", 6, 8, nullptr},
    {"column_beside_another_middle_cell", "lo_formula_groups.xls", "Data", 13, 9, nullptr},
    {"rows_and_columns_first_cell", "", "Data", 4, 1, nullptr},
    {"rows_and_columns_middle_cell", "", "Data", 5, 2, nullptr},
    {"rows_and_columns_last_cell", "", "Data", 6, 3, nullptr},
    {"array_first_cell", "lo_formula_groups.xls", "Data", 6, 11, kArrayRefusal},
    {"array_last_cell", "lo_formula_groups.xls", "Data", 8, 11, kArrayRefusal},
    {"single_cell_array", "lo_formula_groups.xls", "Data", 6, 12, nullptr},
    {"protected_locked_value", "lo_formula_groups.xls", "Gesch\xFCtzt", 1, 1, kProtectedRefusal},
    {"protected_locked_formula", "lo_formula_groups.xls", "Gesch\xFCtzt", 1, 2, kProtectedRefusal},
    {"protected_unlocked_cell", "lo_formula_groups.xls", "Gesch\xFCtzt", 3, 1, nullptr},
};

struct Outcome {
  int number = 0;  // of the failure, 0 for none
  std::string description;
  bool file_unchanged = false;
  std::vector<std::string> libreoffice;  // the oracle's lines for the case
};

// Every case written, the accepted ones then compared by LibreOffice in one session.
std::map<std::string, Outcome> write_every_case() {
  TempFolder folder;
  write_file(folder / "built.xls", two_dimensional_shared_formula());
  const auto registry = automation::make_default_automation();
  const auto excel =
      automation::as<automation::Application>(registry->GetObject(automation::kExcelApplication));
  std::map<std::string, Outcome> out;
  std::ostringstream cases;
  for (const TemplateWrite& write : kWrites) {
    const auto source = *write.file ? xls_test::templates() / write.file : folder / "built.xls";
    const auto written = folder / (std::string(write.what) + ".xls");
    std::filesystem::copy_file(source, written);
    excel->Workbooks()->Open(written);
    const auto book = excel->Workbooks()->Item(written.filename().string());
    Outcome& outcome = out[write.what];
    try {
      book->Worksheets(write.sheet)->SetCells(write.row, write.column, "12.5");
    } catch (const platform::Failure& failure) {
      outcome.number = failure.number();
      outcome.description = failure.description();
    }
    book->Close(true);
    outcome.file_unchanged = read_file(written) == read_file(source);
    if (outcome.number == 0) {
      const std::string sheet = std::string(write.sheet) == "Data" ? "Data" : "Geschützt";
      cases << write.what << '\t' << source.string() << '\t' << written.string() << '\t' << sheet
            << '\t' << char('A' + write.column - 1) << write.row << "\t12.5\n";
    }
  }
  write_file(folder / "cases.tsv", cases.str());
  std::istringstream lines(xls_test::libreoffice_cells("compare " + quoted(folder / "cases.tsv")));
  for (std::string line; std::getline(lines, line);)
    out[line.substr(0, line.find('\t'))].libreoffice.push_back(line);
  return out;
}

// One test over the whole table: LibreOffice compares every case in one session.
TEST(FormulaTemplates, KeepEveryOtherFormulaOrRefuseAsTheApplication) {
  const auto outcomes = write_every_case();
  for (const TemplateWrite& write : kWrites) {
    SCOPED_TRACE(write.what);
    const Outcome& outcome = outcomes.at(write.what);
    if (write.refusal) {
      EXPECT_EQ(outcome.number, 1004);
      EXPECT_EQ(outcome.description.rfind(write.refusal, 0), 0u) << outcome.description;
      EXPECT_TRUE(outcome.file_unchanged);
      continue;
    }
    EXPECT_EQ(outcome.number, 0) << outcome.description;
    ASSERT_EQ(outcome.libreoffice.size(), 1u) << ::testing::PrintToString(outcome.libreoffice);
    EXPECT_EQ(outcome.libreoffice[0].substr(outcome.libreoffice[0].find('\t') + 1, 5), "same\t")
        << outcome.libreoffice[0];
  }
}

TEST(FormulaTemplates, LibreOfficeSavesAFilledDownColumnAsOneSharedFormula) {
  const std::string stream =
      xls_test::workbook_stream(read_file(xls_test::templates() / "lo_formula_groups.xls"));
  // SHRFMLA records: F6:F200, H6:H20 and I6:I20.
  std::size_t count = 0;
  for (std::size_t at = 0; at + 4 <= stream.size();) {
    const auto id =
        static_cast<std::uint8_t>(stream[at]) | static_cast<std::uint8_t>(stream[at + 1]) << 8;
    count += id == 0x04BC;
    at += 4 + (static_cast<std::uint8_t>(stream[at + 2]) | static_cast<std::uint8_t>(stream[at + 3])
                                                               << 8);
  }
  EXPECT_EQ(count, 3u);
}

}  // namespace
}  // namespace schreiber::testing
