#include "xls/formula_cells.h"

#include <map>
#include <utility>

#include "xls/biff_string.h"
#include "xls/cell_records.h"
#include "xls/formula/tokens.h"
#include "xls/formula_records.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/rk_number.h"
#include "xls/workbook_records.h"

namespace xls {

namespace {

using formula::Value;

const Value kBlank = formula::Blank{};

// A text result's characters: the STRING record after the formula, past any shared-formula,
// array or table record, with its CONTINUE records.
std::u16string string_result(const std::vector<Record>& records, std::size_t i) {
  std::size_t k = i + 1;
  while (k < records.size() && (records[k].id == rec::kShrFmla || records[k].id == rec::kArray ||
                                records[k].id == rec::kTable || records[k].id == rec::kContinue)) {
    ++k;
  }
  if (k >= records.size() || records[k].id != rec::kString) return u"";
  std::vector<std::string_view> parts{records[k].data};
  for (std::size_t c = k + 1; c < records.size() && records[c].id == rec::kContinue; ++c)
    parts.push_back(records[c].data);
  try {
    ContinuedReader reader(parts);
    const std::uint16_t count = reader.u16();
    const std::uint8_t flags = reader.u8();
    return reader.chars(count, flags & kHighByte);
  } catch (const std::exception&) {
    return u"";
  }
}

Value stored_result(const FormulaRecord& record, const std::vector<Record>& records,
                    std::size_t i) {
  if (record.number) return *record.number;
  using ResultType = FormulaRecord::ResultType;
  switch (static_cast<ResultType>(record.result_type)) {
    case ResultType::string:
      return string_result(records, i);
    case ResultType::boolean:
      return record.result_value != 0;
    case ResultType::error:
      return formula::Error{static_cast<formula::ErrorCode>(record.result_value)};
    default:
      return std::u16string();
  }
}

// The cell a formula of one kExp token points to: the first cell of its shared or array
// formula.
std::optional<std::pair<std::uint16_t, std::uint16_t>> exp_target(std::string_view tokens) {
  if (tokens.size() != 5 || static_cast<std::uint8_t>(tokens[0]) != formula::ptg::kExp)
    return std::nullopt;
  return std::pair{get_u16(tokens.data() + 1), get_u16(tokens.data() + 3)};
}

class SheetReader {
 public:
  SheetReader(std::uint16_t sheet, const SharedStrings& strings, CellModel& model)
      : sheet_(sheet), strings_(strings), model_(model), cells_(model.sheets[sheet]) {}

  void read(const std::vector<Record>& records) {
    for (std::size_t i = 0; i < records.size(); ++i) read_record(records, i);
    resolve_spanning();
  }

 private:
  using Key = std::pair<std::uint16_t, std::uint16_t>;

  void read_record(const std::vector<Record>& records, std::size_t i) {
    const Record& record = records[i];
    const std::string_view data = record.data;
    switch (record.id) {
      case rec::kShrFmla:
        if (const auto shared = SharedFormulaRecord::parse(data))
          shared_[{shared->range.first_row, shared->range.first_column}] = *shared;
        return;
      case rec::kArray:
        if (const auto array = ArrayRecord::parse(data))
          arrays_[{array->range.first_row, array->range.first_column}] = *array;
        return;
      default:
        break;
    }
    if (!rec::is_cell(record.id) || data.size() < CellHeader::kSize) return;
    const CellHeader header = CellHeader::parse(data);
    switch (record.id) {
      case rec::kFormula:
        return read_formula(records, i);
      case rec::kMulRk:
      case rec::kMulBlank:
        if (const auto run = CellRunRecord::parse(record.id, data)) {
          for (std::size_t k = 0; k < run->count(); ++k) {
            const auto column = static_cast<std::uint16_t>(run->first_column + k);
            put(run->row, column,
                record.id == rec::kMulRk ? Value{decode_rk(run->rk(k))} : Value{kBlank});
          }
        }
        return;
      case rec::kLabelSst:
        if (const auto label = LabelSstRecord::parse(data)) {
          const std::u16string* text = strings_.find(label->string_index);
          put(header.row, header.column, text ? *text : std::u16string());
        }
        return;
      case rec::kLabel:
      case rec::kRString: {
        std::size_t pos = CellHeader::kSize;
        std::u16string text;
        if (read_unicode_string(data, pos, false, text)) put(header.row, header.column, text);
        return;
      }
      case rec::kNumber:
        if (const auto number = NumberRecord::parse(data))
          put(header.row, header.column, number->value);
        return;
      case rec::kRk:
        if (const auto rk = RkRecord::parse(data))
          put(header.row, header.column, decode_rk(rk->rk));
        return;
      case rec::kBoolErr:
        if (const auto value = BoolErrRecord::parse(data)) {
          put(header.row, header.column,
              value->is_error ? Value{formula::Error{static_cast<formula::ErrorCode>(value->value)}}
                              : Value{value->value != 0});
        }
        return;
      default:
        put(header.row, header.column, kBlank);
        return;
    }
  }

  void put(std::uint16_t row, std::uint16_t column, Value value) {
    cells_.set(row, column, std::move(value), SheetCells::kNoFormula);
  }

  void read_formula(const std::vector<Record>& records, std::size_t i) {
    const auto record = FormulaRecord::parse(records[i].data);
    if (!record) return;
    FormulaCell cell;
    cell.sheet = sheet_;
    cell.row = record->cell.row;
    cell.column = record->cell.column;
    cell.tokens = record->formula.tokens;
    cell.extra = record->formula.extra;
    cell.stored = stored_result(*record, records, i);
    if (!cell.tokens.empty() && static_cast<std::uint8_t>(cell.tokens[0]) == formula::ptg::kTbl)
      cell.not_computable = "part of a data table";
    const auto index = static_cast<std::int32_t>(model_.formulas.size());
    cells_.set(cell.row, cell.column, kBlank, index);
    if (exp_target(cell.tokens)) spanning_.push_back(index);
    model_.formulas.push_back(std::move(cell));
  }

  // Cells of shared and array formulas take their tokens once every record is read.
  void resolve_spanning() {
    for (const std::int32_t index : spanning_) {
      FormulaCell& cell = model_.formulas[static_cast<std::size_t>(index)];
      const Key first = *exp_target(cell.tokens);
      if (const auto shared = shared_.find(first);
          shared != shared_.end() && shared->second.range.contains(cell.row, cell.column)) {
        const auto& source = shared->second.formula;
        auto tokens = formula::translate_to_cell(source.tokens, source.extra, cell.row,
                                                 static_cast<std::uint8_t>(cell.column));
        if (!tokens) {
          cell.not_computable = "a shared formula that cannot be read";
          continue;
        }
        cell.tokens = std::move(*tokens);
        cell.extra = source.extra;
      } else if (const auto array = arrays_.find(first);
                 array != arrays_.end() && array->second.range.contains(cell.row, cell.column)) {
        if (!array->second.range.single_cell()) {
          cell.not_computable = "part of an array formula over several cells";
          continue;
        }
        cell.tokens = array->second.formula.tokens;
        cell.extra = array->second.formula.extra;
        cell.array_formula = true;
      } else {
        cell.not_computable = "its shared or array formula is missing";
      }
    }
  }

  std::uint16_t sheet_;
  const SharedStrings& strings_;
  CellModel& model_;
  SheetCells& cells_;
  std::map<Key, SharedFormulaRecord> shared_;
  std::map<Key, ArrayRecord> arrays_;
  std::vector<std::int32_t> spanning_;
};

}  // namespace

void SheetCells::set(std::uint16_t row, std::uint16_t column, Value value, std::int32_t formula) {
  if (row >= rows_.size()) rows_.resize(row + 1u);
  auto& cells = rows_[row];
  if (column >= cells.size()) cells.resize(column + 1u);
  cells[column] = {std::move(value), formula};
}

CellModel read_cell_model(const Workbook::State& state) {
  CellModel model;
  model.sheets.resize(state.sheets.size());
  for (std::size_t s = 0; s < state.sheets.size(); ++s) {
    const SheetEntry& entry = state.sheets[s];
    if (!entry.substream) continue;
    if (entry.type != BoundSheetRecord::kWorksheet && entry.type != BoundSheetRecord::kMacroSheet)
      continue;
    SheetReader reader(static_cast<std::uint16_t>(s), state.strings, model);
    if (const auto table = state.tables.find(*entry.substream); table != state.tables.end()) {
      reader.read(table->second.cell_records());
      continue;
    }
    const Substream& sub = state.records.sheets[*entry.substream];
    std::vector<Record> own;
    own.reserve(sub.records.size());
    for (std::size_t i = 0; i < sub.records.size(); ++i) {
      if (sub.depth[i] == 1) own.push_back(sub.records[i]);
    }
    reader.read(own);
  }
  return model;
}

}  // namespace xls
