// The formula oracle (formula_oracle.py): LibreOffice makes a workbook of more than 1000
// formulas over every built-in function the engine computes and every operator, with inputs
// of each kind, twice: the template with one set of inputs and the reference with another,
// each computed by LibreOffice. The engine opens the template, writes the reference's inputs
// into it, computes every formula on saving, and xlrd compares what it stored with what
// LibreOffice stored (differences of LibreOffice from the application are listed there,
// with their reasons); a formula the engine does not compute keeps the template's result.
// The formula texts are compared both ways too: each compiled by us reads in LibreOffice as
// LibreOffice's own formula, and our rendering of LibreOffice's formulas is its text.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "xls/text.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

// One line of oracle_inputs.tsv: sheet, row and column from 0, kind, value.
void write_input(xls::Workbook& workbook, const std::string& line) {
  std::istringstream fields(line);
  std::size_t sheet = 0;
  std::int64_t row = 0, column = 0;
  std::string kind, value;
  fields >> sheet >> row >> column >> kind;
  std::getline(fields, value);
  if (!value.empty() && value.front() == '\t') value.erase(0, 1);
  ++row;
  ++column;
  if (kind == "number") {
    workbook.set_number(sheet, row, column, std::stod(value));
  } else if (kind == "text") {
    workbook.set_text(sheet, row, column, xls::utf8_to_utf16(value));
  } else if (kind == "boolean") {
    workbook.set_boolean(sheet, row, column, value == "1");
  } else if (kind == "error") {
    workbook.set_error(sheet, row, column, static_cast<std::uint8_t>(std::stoi(value)));
  } else {
    workbook.clear_value(sheet, row, column);
  }
}

TEST(FormulaOracle, StoredResultsAreLibreOfficesAfterTheInputsChange) {
  const auto folder = binary_dir() / "tests/xls/formula_oracle";
  std::filesystem::create_directories(folder);
  const auto script = source_dir() / "tests/xls/formula_oracle.py";
  run("/usr/bin/python3 " + quoted(script) + " make " + quoted(folder) + " " +
      quoted(folder / "profile") + " " + quoted(binary_dir() / "cli/schreiber-cli"));

  auto workbook = xls::Workbook::open(folder / "oracle_template.xls");
  std::ifstream inputs(folder / "oracle_inputs.tsv");
  std::size_t written = 0;
  for (std::string line; std::getline(inputs, line); ++written) write_input(workbook, line);
  ASSERT_GT(written, 60u);
  // Formulas that read no input (PI(), constants) are computed too.
  workbook.compute_every_formula_on_save();
  workbook.save_as(folder / "oracle_ours.xls");

  const auto report = run(
      "/usr/bin/python3 " + quoted(script) + " compare " + quoted(folder / "oracle_reference.xls") +
      " " + quoted(folder / "oracle_template.xls") + " " + quoted(folder / "oracle_ours.xls"));
  std::cout << report;

  // The same session compiled every text with schreiber-cli put and had LibreOffice read it,
  // and schreiber-cli dump showed LibreOffice's own formulas (formula_text_oracle.py).
  std::cout << run("/usr/bin/python3 " + quoted(script) + " texts " + quoted(folder));
}

}  // namespace
}  // namespace xls_test
