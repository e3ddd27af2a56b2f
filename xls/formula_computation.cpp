#include "xls/formula_computation.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>

#include "xls/formula/evaluator.h"
#include "xls/formula_cells.h"
#include "xls/formula_dependencies.h"
#include "xls/formula_records.h"
#include "xls/text.h"
#include "xls/workbook_records.h"

namespace xls {

namespace {

using formula::Value;

// How deep formulas may read formulas before the deepest one is computed first, so that a
// long chain (each row reading the one below) does not exhaust the stack.
constexpr int kMaxDepth = 200;

// Unwinds to the loop of compute_formulas to compute `formula` before the formulas that wait
// on it.
struct TooDeep {
  std::int32_t formula;
};

enum class Progress : std::uint8_t { keep, pending, computing, done, failed };

class WorkbookContext final : public formula::Context {
 public:
  WorkbookContext(const Workbook::State& state, CellModel& model, std::vector<bool> to_compute,
                  const formula::FormulaNames& names)
      : state_(state),
        model_(model),
        names_(names),
        progress_(model.formulas.size()),
        results_(model.formulas.size()),
        random_(std::random_device{}()) {
    for (std::size_t i = 0; i < progress_.size(); ++i)
      progress_[i] = to_compute[i] ? Progress::pending : Progress::keep;
  }

  Value cell(std::uint16_t sheet, std::uint16_t row, std::uint16_t column) override {
    if (sheet >= model_.sheets.size()) return formula::Blank{};
    const SheetCells::Slot* slot = model_.sheets[sheet].slot(row, column);
    if (!slot) return formula::Blank{};
    if (slot->formula == SheetCells::kNoFormula) return slot->value;
    return formula_value(slot->formula);
  }
  std::uint16_t sheet() const override { return at().sheet; }
  std::uint16_t row() const override { return at().row; }
  std::uint16_t column() const override { return at().column; }
  bool date1904() const override { return state_.formats.date_1904(); }
  double now() const override {
    const std::time_t seconds = std::time(nullptr);
    const std::tm local = *std::localtime(&seconds);
    // Days from 1899-12-30 (serial 0 of the 1900 system, its false 29 February counted).
    const int year = local.tm_year + 1900, month = local.tm_mon + 1;
    const int a = (14 - month) / 12, y = year + 4800 - a, m = month + 12 * a - 3;
    const long julian =
        local.tm_mday + (153 * m + 2) / 5 + 365L * y + y / 4 - y / 100 + y / 400 - 32045;
    const double date = static_cast<double>(julian - 2415019);
    return date + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
  }
  double random() override { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }
  std::optional<std::uint16_t> sheet_named(std::u16string_view name) const override {
    for (std::size_t i = 0; i < state_.sheets.size(); ++i) {
      if (equal_ignoring_case(state_.sheets[i].name, name)) return static_cast<std::uint16_t>(i);
    }
    return std::nullopt;
  }
  std::u16string sheet_name(std::uint16_t sheet) const override {
    return sheet < state_.sheets.size() ? state_.sheets[sheet].name : std::u16string();
  }

  // Computes formula `index` and every formula it waits on.
  void compute_all(std::int32_t index) {
    std::vector<std::int32_t> work{index};
    while (!work.empty()) {
      const std::int32_t top = work.back();
      if (progress_[static_cast<std::size_t>(top)] != Progress::pending) {
        work.pop_back();
        continue;
      }
      try {
        compute(top);
        work.pop_back();
      } catch (const TooDeep& deep) {
        if (std::find(work.begin(), work.end(), deep.formula) != work.end()) {
          progress_[static_cast<std::size_t>(deep.formula)] = Progress::failed;  // a circle
        } else {
          work.push_back(deep.formula);
        }
      } catch (const formula::NotComputable&) {
        work.pop_back();
      }
    }
  }

  bool computed(std::size_t index) const { return progress_[index] == Progress::done; }
  const Value& result(std::size_t index) const { return results_[index]; }

 private:
  const FormulaCell& at() const {
    return model_.formulas[static_cast<std::size_t>(current_.back())];
  }

  Value formula_value(std::int32_t index) {
    const auto i = static_cast<std::size_t>(index);
    switch (progress_[i]) {
      case Progress::keep:
        return model_.formulas[i].stored;
      case Progress::done:
        return results_[i];
      case Progress::pending:
        if (current_.size() >= kMaxDepth) throw TooDeep{index};
        compute(index);
        return formula_value(index);
      case Progress::computing:
        throw formula::NotComputable("a circular reference");
      case Progress::failed:
        break;
    }
    throw formula::NotComputable("it reads a formula the engine cannot compute");
  }

  void compute(std::int32_t index) {
    const auto i = static_cast<std::size_t>(index);
    const FormulaCell& cell = model_.formulas[i];
    if (cell.not_computable) {
      progress_[i] = Progress::failed;
      throw formula::NotComputable(cell.not_computable);
    }
    progress_[i] = Progress::computing;
    current_.push_back(index);
    try {
      const Value value =
          formula::evaluate({cell.tokens, cell.extra, cell.array_formula}, *this, names_);
      results_[i] = formula::cell_result(value, *this);
      progress_[i] = Progress::done;
    } catch (const formula::NotComputable&) {
      progress_[i] = Progress::failed;
      current_.pop_back();
      throw;
    } catch (const std::exception& error) {
      // A function that fails in its own way: the formula keeps its result, the save goes on.
      progress_[i] = Progress::failed;
      current_.pop_back();
      throw formula::NotComputable(error.what());
    } catch (...) {
      progress_[i] = Progress::pending;  // computed again once what it waits on is
      current_.pop_back();
      throw;
    }
    current_.pop_back();
  }

  const Workbook::State& state_;
  CellModel& model_;
  const formula::FormulaNames& names_;
  std::vector<Progress> progress_;
  std::vector<Value> results_;
  std::vector<std::int32_t> current_;  // the formulas being computed, innermost last
  std::mt19937_64 random_;
};

// The 8 result bytes and STRING records a result is stored as.
std::pair<std::string, std::vector<std::string>> stored_form(const Value& value) {
  switch (value.index()) {
    case 1: {
      const double number = std::get<double>(value);
      if (!std::isfinite(number)) return {error_result(0x24), {}};
      return {number_result(number), {}};
    }
    case 2: {
      const auto& text = std::get<std::u16string>(value);
      if (text.size() > Workbook::kMaxTextLength) return {error_result(0x0F), {}};
      return {text_result(text.empty()),
              text.empty() ? std::vector<std::string>{} : string_records(text)};
    }
    case 3:
      return {boolean_result(std::get<bool>(value)), {}};
    case 4:
      return {error_result(static_cast<std::uint8_t>(std::get<formula::Error>(value).code)), {}};
    default:
      return {number_result(0), {}};
  }
}

// The sheet's cell table, made when the sheet has none yet; null when its cell records are
// inconsistent (its formulas then keep their results).
CellTable* table_of(Workbook::State& state, std::uint16_t sheet) {
  const std::size_t substream = *state.sheets[sheet].substream;
  auto table = state.tables.find(substream);
  if (table == state.tables.end()) {
    try {
      table = state.tables
                  .try_emplace(substream, state.records.sheets[substream],
                               state.formats.default_cell_format())
                  .first;
    } catch (const Error&) {
      return nullptr;
    }
  }
  return &table->second;
}

}  // namespace

std::size_t compute_formulas(Workbook::State& state) {
  CellModel model = read_cell_model(state);
  if (model.formulas.empty()) return 0;
  const formula::FormulaNames& names = state.names;
  std::vector<CellKey> changed;
  if (state.compute_every_formula) {
    for (const FormulaCell& cell : model.formulas)
      changed.push_back({cell.sheet, cell.row, cell.column});
  } else {
    changed = state.changed_cells;
  }
  WorkbookContext context(state, model, formulas_to_compute(model, changed, names), names);
  std::size_t count = 0;
  for (std::size_t i = 0; i < model.formulas.size(); ++i) {
    context.compute_all(static_cast<std::int32_t>(i));
    if (!context.computed(i)) continue;
    const FormulaCell& cell = model.formulas[i];
    const Value& result = context.result(i);
    ++count;
    if (result == cell.stored) continue;
    const auto [bytes, strings] = stored_form(result);
    if (CellTable* table = table_of(state, cell.sheet))
      table->set_formula_result(cell.row, cell.column, bytes, strings);
  }
  return count;
}

}  // namespace xls
