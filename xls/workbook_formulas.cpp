// The workbook's formulas as texts: shown for each formula cell, and compiled into a cell.

#include "xls/formula/cell_formulas.h"
#include "xls/formula/compile.h"
#include "xls/formula/formula_text.h"
#include "xls/formula_records.h"
#include "xls/text.h"
#include "xls/workbook.h"
#include "xls/workbook_state.h"

namespace xls {

namespace {

// The records of a sheet's cells: its cell table's when it was opened for writing.
std::vector<Record> cell_records(const Workbook::State& s, std::size_t substream) {
  if (const auto table = s.tables.find(substream); table != s.tables.end())
    return table->second.cell_records();
  const Substream& sub = s.records.sheets[substream];
  std::vector<Record> own;
  for (std::size_t i = 0; i < sub.records.size(); ++i) {
    if (sub.depth[i] == 1) own.push_back(sub.records[i]);
  }
  return own;
}

}  // namespace

std::map<std::pair<std::uint32_t, std::uint32_t>, std::u16string> Workbook::formula_texts(
    std::size_t sheet) const {
  const State& s = *state_;
  if (sheet >= s.sheets.size())
    throw Error(ErrorKind::no_such_cell, "there is no sheet number " + std::to_string(sheet + 1));
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::u16string> out;
  const auto& substream = s.sheets[sheet].substream;
  if (!substream) return out;
  for (const formula::CellFormula& cell : formula::cell_formulas(cell_records(s, *substream))) {
    std::u16string& text = out[{cell.row + 1u, cell.column + 1u}];
    if (cell.tokens.empty()) continue;
    if (auto shown = formula::formula_text(cell.tokens, cell.extra, s.names, cell.row, cell.column))
      text = cell.kind == formula::CellFormula::Kind::array ? u"{" + *shown + u"}" : *shown;
  }
  return out;
}

void Workbook::set_formula(std::size_t sheet, std::int64_t row, std::int64_t column,
                           std::u16string_view text) {
  const Place at = writable_place(sheet, row, column);
  // Compiled against a copy of the names: a refused text leaves the workbook as it was.
  formula::WorkbookNames names = state_->names;
  formula::CompiledFormula compiled;
  try {
    compiled =
        formula::compile_formula(text, names, static_cast<std::uint16_t>(sheet), at.row, at.column);
  } catch (const Error& error) {
    throw Error(error.kind(), error.what() + std::string(" (formula '") + utf16_to_utf8(text) +
                                  "' for row " + std::to_string(row) + ", column " +
                                  std::to_string(column) + ")");
  }
  FormulaRecord record;
  record.cell = {at.row, at.column, format_for(at, {}, false)};
  const std::string result = number_result(0);
  record.result = result;
  record.options = FormulaRecord::kCalcOnLoad;
  if (compiled.is_volatile) record.options |= FormulaRecord::kAlwaysCalc;
  record.formula = {compiled.tokens, compiled.extra};
  store(at, record.kId, record.emit());
  state_->names = std::move(names);
}

}  // namespace xls
