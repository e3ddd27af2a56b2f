#include "xls/cell_reader.h"

#include <algorithm>
#include <iterator>

#include "xls/biff_string.h"
#include "xls/cell_formats.h"
#include "xls/cell_records.h"
#include "xls/formula_records.h"
#include "xls/record_ids.h"
#include "xls/rk_number.h"
#include "xls/shared_strings.h"

namespace xls {

namespace {

Cell at(const CellHeader& header) {
  Cell cell;
  cell.row = header.row + 1u;
  cell.column = header.column + 1u;
  return cell;
}

void take_format(Cell& cell, const CellFormats& formats, std::uint16_t xf) {
  cell.number_format = formats.number_format(xf);
  cell.quote_prefix = formats.quote_prefix(xf);
}

// The string result of the formula at records[i]: the STRING record after it, past any
// shared-formula, array or table record, with its CONTINUE records.
std::u16string formula_string(const std::vector<Record>& records, std::size_t i) {
  std::size_t k = i + 1;
  while (k < records.size() && (records[k].id == rec::kShrFmla || records[k].id == rec::kArray ||
                                records[k].id == rec::kTable || records[k].id == rec::kContinue)) {
    ++k;
  }
  if (k >= records.size() || records[k].id != rec::kString) return u"";
  std::vector<std::string_view> parts{records[k].data};
  for (std::size_t c = k + 1; c < records.size() && records[c].id == rec::kContinue; ++c) {
    parts.push_back(records[c].data);
  }
  try {
    ContinuedReader reader(parts);
    const std::uint16_t count = reader.u16();
    const std::uint8_t flags = reader.u8();
    return reader.chars(count, flags & kHighByte);
  } catch (const std::exception&) {
    return u"";
  }
}

void read_formula(const std::vector<Record>& records, std::size_t i, const CellFormats& formats,
                  std::vector<Cell>& out) {
  const auto formula = FormulaRecord::parse_result(records[i].data);
  if (!formula) return;
  Cell cell = at(formula->cell);
  take_format(cell, formats, formula->cell.format);
  cell.value.formula = true;
  using ResultType = FormulaRecord::ResultType;
  if (formula->number) {
    cell.value.kind = CellKind::number;
    cell.value.number = *formula->number;
  } else {
    switch (static_cast<ResultType>(formula->result_type)) {
      case ResultType::string:
        cell.value.kind = CellKind::text;
        cell.value.text = formula_string(records, i);
        break;
      case ResultType::boolean:
        cell.value.kind = CellKind::boolean;
        cell.value.boolean = formula->result_value != 0;
        break;
      case ResultType::error:
        cell.value.kind = CellKind::error;
        cell.value.error_code = formula->result_value;
        break;
      default:  // ResultType::empty and unknown types: an empty string
        cell.value.kind = CellKind::text;
        break;
    }
  }
  out.push_back(std::move(cell));
}

void read_run(const Record& record, const CellFormats& formats, std::vector<Cell>& out) {
  const auto run = CellRunRecord::parse(record.id, record.data);
  if (!run) return;
  for (std::size_t k = 0; k < run->count(); ++k) {
    Cell cell;
    cell.row = run->row + 1u;
    cell.column = run->first_column + 1u + static_cast<std::uint32_t>(k);
    take_format(cell, formats, run->format(k));
    if (record.id == rec::kMulRk) {
      cell.value.kind = CellKind::number;
      cell.value.number = decode_rk(run->rk(k));
    }
    out.push_back(std::move(cell));
  }
}

}  // namespace

void read_cells(const std::vector<Record>& records, const SharedStrings& strings,
                const CellFormats& formats, std::vector<Cell>& out) {
  const std::size_t first = out.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& record = records[i];
    const std::string_view data = record.data;
    if (!rec::is_cell(record.id) || data.size() < CellHeader::kSize) continue;
    const CellHeader header = CellHeader::parse(data);
    Cell cell = at(header);
    switch (record.id) {
      case rec::kFormula:
        read_formula(records, i, formats, out);
        continue;
      case rec::kMulRk:
      case rec::kMulBlank:
        read_run(record, formats, out);
        continue;
      case rec::kLabelSst: {
        const auto label = LabelSstRecord::parse(data);
        if (!label) continue;
        const std::u16string* text = strings.find(label->string_index);
        cell.value.kind = CellKind::text;
        if (text) cell.value.text = *text;
        break;
      }
      case rec::kLabel:
      case rec::kRString: {
        std::size_t pos = CellHeader::kSize;
        if (!read_unicode_string(data, pos, false, cell.value.text)) continue;
        cell.value.kind = CellKind::text;
        break;
      }
      case rec::kNumber: {
        const auto number = NumberRecord::parse(data);
        if (!number) continue;
        cell.value.kind = CellKind::number;
        cell.value.number = number->value;
        break;
      }
      case rec::kRk: {
        const auto rk = RkRecord::parse(data);
        if (!rk) continue;
        cell.value.kind = CellKind::number;
        cell.value.number = decode_rk(rk->rk);
        break;
      }
      case rec::kBoolErr: {
        const auto value = BoolErrRecord::parse(data);
        if (!value) continue;
        if (value->is_error) {
          cell.value.kind = CellKind::error;
          cell.value.error_code = value->value;
        } else {
          cell.value.kind = CellKind::boolean;
          cell.value.boolean = value->value != 0;
        }
        break;
      }
      default:  // BLANK
        break;
    }
    take_format(cell, formats, header.format);
    out.push_back(std::move(cell));
  }
  const auto same_cell = [](const Cell& a, const Cell& b) {
    return a.row == b.row && a.column == b.column;
  };
  std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                   [](const Cell& a, const Cell& b) {
                     return a.row != b.row ? a.row < b.row : a.column < b.column;
                   });
  // A cell with two records (some writers make them) is what the later one holds, as
  // other readers show it.
  std::vector<Cell> kept;
  kept.reserve(out.size() - first);
  for (auto it = out.begin() + static_cast<std::ptrdiff_t>(first); it != out.end(); ++it) {
    if (!kept.empty() && same_cell(kept.back(), *it)) {
      kept.back() = std::move(*it);
    } else {
      kept.push_back(std::move(*it));
    }
  }
  out.erase(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
  std::move(kept.begin(), kept.end(), std::back_inserter(out));
}

}  // namespace xls
