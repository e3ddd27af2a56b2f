#include "xls/formula/cell_formulas.h"

#include "xls/formula/tokens.h"
#include "xls/formula_records.h"
#include "xls/little_endian.h"

namespace xls::formula {

namespace {

struct Anchored {
  CellRange range;
  std::string tokens, extra;
  bool array = false;
};

}  // namespace

std::vector<CellFormula> cell_formulas(const std::vector<Record>& records) {
  std::vector<Anchored> anchored;  // SHRFMLA and ARRAY records, as they come
  for (const Record& record : records) {
    if (record.id == SharedFormulaRecord::kId) {
      if (const auto shared = SharedFormulaRecord::parse(record.data)) {
        anchored.push_back({shared->range, std::string(shared->formula.tokens),
                            std::string(shared->formula.extra), false});
      }
    } else if (record.id == ArrayRecord::kId) {
      if (const auto array = ArrayRecord::parse(record.data)) {
        anchored.push_back({array->range, std::string(array->formula.tokens),
                            std::string(array->formula.extra), true});
      }
    }
  }
  std::vector<CellFormula> out;
  for (const Record& record : records) {
    if (record.id != FormulaRecord::kId) continue;
    const auto formula = FormulaRecord::parse(record.data);
    if (!formula) continue;
    CellFormula cell{formula->cell.row, formula->cell.column, CellFormula::Kind::cell, {}, {}};
    const std::string_view tokens = formula->formula.tokens;
    const auto first = tokens.empty() ? 0 : static_cast<std::uint8_t>(tokens[0]);
    if (tokens.size() == 5 && (first == ptg::kExp || first == ptg::kTbl)) {
      cell.kind = first == ptg::kTbl ? CellFormula::Kind::table : CellFormula::Kind::shared;
      const std::uint16_t row = get_u16(tokens.data() + 1);
      const std::uint16_t column = get_u16(tokens.data() + 3);
      for (const Anchored& a : anchored) {
        if (first == ptg::kTbl || a.range.first_row != row || a.range.first_column != column ||
            !a.range.contains(cell.row, cell.column)) {
          continue;
        }
        if (a.array) {
          cell.kind = CellFormula::Kind::array;
          cell.tokens = a.tokens;
          cell.extra = a.extra;
        } else if (auto translated = translate_to_cell(a.tokens, a.extra, cell.row,
                                                       static_cast<std::uint8_t>(cell.column))) {
          cell.tokens = std::move(*translated);
          cell.extra = a.extra;
        }
        break;
      }
    } else {
      cell.tokens = std::string(tokens);
      cell.extra = std::string(formula->formula.extra);
    }
    out.push_back(std::move(cell));
  }
  return out;
}

}  // namespace xls::formula
