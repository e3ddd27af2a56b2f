#include "xls/formula_dependencies.h"

#include <algorithm>
#include <vector>

#include "xls/formula/precedents.h"

namespace xls {

namespace {

// Rows of marked cells by sheet and column, sorted: which cells of an area are marked.
class ColumnIndex {
 public:
  void add(std::uint16_t sheet, std::uint16_t row, std::uint16_t column, std::int32_t item) {
    const std::size_t at = key(sheet, column);
    if (at >= columns_.size()) columns_.resize(at + 1);
    columns_[at].push_back({row, item});
  }
  void sort() {
    for (auto& rows : columns_) {
      if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
    }
  }
  // Calls visit(item) for every marked cell in the area.
  template <class Visit>
  void in_area(const formula::Reference& area, Visit visit) const {
    for (std::uint32_t c = area.first_column; c <= area.last_column; ++c) {
      const std::size_t at = key(area.sheet, static_cast<std::uint16_t>(c));
      if (at >= columns_.size()) continue;
      const auto& rows = columns_[at];
      for (auto it = std::lower_bound(rows.begin(), rows.end(),
                                      std::pair<std::uint16_t, std::int32_t>{area.first_row, -1});
           it != rows.end() && it->first <= area.last_row; ++it) {
        if (!visit(it->second)) return;
      }
    }
  }

 private:
  static std::size_t key(std::uint16_t sheet, std::uint16_t column) {
    return static_cast<std::size_t>(sheet) * 256 + (column & 0xFF);
  }
  std::vector<std::vector<std::pair<std::uint16_t, std::int32_t>>> columns_;
};

}  // namespace

std::vector<bool> formulas_to_compute(const CellModel& model, std::vector<CellKey> changed,
                                      const formula::FormulaNames& names) {
  const std::size_t count = model.formulas.size();
  std::vector<bool> marked(count, false);
  std::vector<std::int32_t> queue;
  const auto mark = [&](std::int32_t index) {
    if (marked[static_cast<std::size_t>(index)]) return;
    marked[static_cast<std::size_t>(index)] = true;
    queue.push_back(index);
  };

  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  ColumnIndex changed_cells, formula_cells;
  for (const CellKey& cell : changed) changed_cells.add(cell.sheet, cell.row, cell.column, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const FormulaCell& cell = model.formulas[i];
    formula_cells.add(cell.sheet, cell.row, cell.column, static_cast<std::int32_t>(i));
  }
  changed_cells.sort();
  formula_cells.sort();

  // readers[i]: the formulas that read formula i's cell.
  std::vector<std::vector<std::int32_t>> readers(count);
  for (std::size_t i = 0; i < count; ++i) {
    const FormulaCell& cell = model.formulas[i];
    const auto index = static_cast<std::int32_t>(i);
    if (std::binary_search(changed.begin(), changed.end(),
                           CellKey{cell.sheet, cell.row, cell.column})) {
      mark(index);
    }
    const formula::Precedents precedents =
        formula::precedents_of(cell.tokens, cell.extra, cell.sheet, cell.row, cell.column, names);
    if (precedents.always) mark(index);
    for (const formula::Reference& area : precedents.areas) {
      changed_cells.in_area(area, [&](std::int32_t) {
        mark(index);
        return false;
      });
      formula_cells.in_area(area, [&](std::int32_t source) {
        readers[static_cast<std::size_t>(source)].push_back(index);
        return true;
      });
    }
  }
  while (!queue.empty()) {
    const std::int32_t index = queue.back();
    queue.pop_back();
    for (const std::int32_t reader : readers[static_cast<std::size_t>(index)]) mark(reader);
  }
  return marked;
}

}  // namespace xls
