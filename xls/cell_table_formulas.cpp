// The cell table's part in formulas that span cells: which cells refuse a value (array
// formulas over several cells, data tables) and what becomes of a shared formula when a
// value replaces one of its cells.

#include <algorithm>
#include <string>

#include "xls/cell_name.h"
#include "xls/cell_table.h"
#include "xls/error.h"
#include "xls/formula/tokens.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"

namespace xls {

namespace {

// True for a formula made of one token pointing to the cell (row, column): a cell of the
// shared or array formula whose first cell that is.
bool points_to(const ParsedFormula& formula, std::uint16_t row, std::uint16_t column) {
  const std::string_view tokens = formula.tokens;
  return tokens.size() == 5 && static_cast<std::uint8_t>(tokens[0]) == formula::ptg::kExp &&
         get_u16(tokens.data() + 1) == row && get_u16(tokens.data() + 3) == column;
}

}  // namespace

void CellTable::index_formula_ranges() {
  for (const auto& [number, row] : rows_) {
    for (const CellEntry& entry : row.cells) {
      for (const Record& record : entry.trailing) {
        if (record.id == rec::kArray) {
          const auto array = ArrayRecord::parse(record.data);
          if (array && !array->range.single_cell()) arrays_.push_back(array->range);
        } else if (record.id == rec::kTable) {
          if (const auto table = TableRecord::parse(record.data))
            data_tables_.push_back(table->range);
        }
      }
    }
  }
}

const CellTable::CellEntry* CellTable::entry_at(std::uint16_t row, std::uint16_t column) const {
  const auto r = rows_.find(row);
  if (r == rows_.end()) return nullptr;
  const auto it = find(r->second.cells, column);
  return it != r->second.cells.end() ? &*it : nullptr;
}

std::optional<SharedFormulaRecord> CellTable::shared_formula_of(const CellEntry& entry) const {
  if (entry.record.id != rec::kFormula) return std::nullopt;
  for (const Record& record : entry.trailing) {
    if (record.id == rec::kShrFmla) return SharedFormulaRecord::parse(record.data);
  }
  return std::nullopt;
}

void CellTable::check_writable(std::uint16_t row, std::uint16_t column) const {
  const auto in = [&](const CellRange& range) { return range.contains(row, column); };
  if (std::any_of(arrays_.begin(), arrays_.end(), in))
    throw Error(ErrorKind::refused, "You can't change part of an array.");
  if (std::any_of(data_tables_.begin(), data_tables_.end(), in))
    throw Error(ErrorKind::refused, "Cannot change part of a data table.");
  const CellEntry* entry = entry_at(row, column);
  if (!entry) return;
  if (const auto shared = shared_formula_of(*entry);
      shared && !formula::walk(shared->formula.tokens, shared->formula.extra)) {
    throw Error(ErrorKind::unreadable,
                "the shared formula that begins here cannot be read, so its other cells "
                "would lose it");
  }
}

void CellTable::unshare(const CellEntry& first, std::uint16_t row, std::uint16_t column) {
  const auto shared = shared_formula_of(first);
  if (!shared) return;
  const CellRange& range = shared->range;
  for (auto r = rows_.lower_bound(range.first_row); r != rows_.end() && r->first <= range.last_row;
       ++r) {
    for (CellEntry& entry : r->second.cells) {
      if (entry.record.id != rec::kFormula || !range.contains(r->first, entry.first)) continue;
      if (r->first == row && entry.first == column) continue;  // the cell being replaced
      auto formula = FormulaRecord::parse(entry.record.data);
      if (!formula || !(points_to(formula->formula, row, column) ||
                        points_to(formula->formula, range.first_row, range.first_column))) {
        continue;
      }
      const auto tokens =
          formula::translate_to_cell(shared->formula.tokens, shared->formula.extra, r->first,
                                     static_cast<std::uint8_t>(entry.first));
      if (!tokens) {  // check_writable() refuses such a write before anything changes
        throw Error(ErrorKind::unreadable, "a shared formula of the sheet cannot be read");
      }
      const std::string_view own_tokens = own(*tokens);
      formula->options &= static_cast<std::uint16_t>(~FormulaRecord::kShared);
      formula->formula = {own_tokens, shared->formula.extra};
      entry.record = {rec::kFormula, own(formula->emit())};
    }
  }
}

bool CellTable::set_formula_result(std::uint16_t row, std::uint16_t column, std::string_view result,
                                   const std::vector<std::string>& string_bodies) {
  const auto r = rows_.find(row);
  if (r == rows_.end()) return false;
  auto& cells = r->second.cells;
  const auto found = find(cells, column);
  if (found == cells.end() || found->record.id != rec::kFormula) return false;
  CellEntry& entry = cells[static_cast<std::size_t>(found - cells.begin())];
  auto formula = FormulaRecord::parse(entry.record.data);
  if (!formula) return false;
  formula->result = result;
  entry.record.data = own(formula->emit());
  // The shared formula, array or table records stay first; the new string follows them.
  std::vector<Record> trailing;
  bool in_string = false;
  for (const Record& record : entry.trailing) {
    if (record.id != rec::kContinue) in_string = record.id == rec::kString;
    if (!in_string) trailing.push_back(record);
  }
  auto at = std::find_if(trailing.begin(), trailing.end(), [](const Record& record) {
    return record.id != rec::kShrFmla && record.id != rec::kArray && record.id != rec::kTable &&
           record.id != rec::kContinue;
  });
  for (std::size_t k = 0; k < string_bodies.size(); ++k) {
    at = trailing.insert(at, {k == 0 ? rec::kString : rec::kContinue, own(string_bodies[k])});
    ++at;
  }
  entry.trailing = std::move(trailing);
  written_ = true;
  return true;
}

}  // namespace xls
