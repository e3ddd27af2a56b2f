#include "xls/cell_reader.h"

#include <algorithm>

#include "xls/biff_string.h"
#include "xls/cell_formats.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/rk_number.h"
#include "xls/shared_strings.h"

namespace xls {

namespace {

Cell at(std::string_view data) {
  Cell cell;
  cell.row = get_u16(data.data()) + 1u;
  cell.column = get_u16(data.data() + 2) + 1u;
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
  const std::string_view data = records[i].data;
  if (data.size() < 14) return;
  Cell cell = at(data);
  take_format(cell, formats, get_u16(data.data() + 4));
  cell.value.formula = true;
  const char* result = data.data() + 6;
  if (get_u16(result + 6) != 0xFFFF) {
    cell.value.kind = CellKind::number;
    cell.value.number = get_f64(result);
  } else {
    switch (static_cast<std::uint8_t>(result[0])) {
      case 0:
        cell.value.kind = CellKind::text;
        cell.value.text = formula_string(records, i);
        break;
      case 1:
        cell.value.kind = CellKind::boolean;
        cell.value.boolean = result[2] != 0;
        break;
      case 2:
        cell.value.kind = CellKind::error;
        cell.value.error_code = static_cast<std::uint8_t>(result[2]);
        break;
      default:
        cell.value.kind = CellKind::text;  // an empty string
        break;
    }
  }
  out.push_back(std::move(cell));
}

void read_multiple(const Record& record, const CellFormats& formats, std::vector<Cell>& out) {
  const std::string_view data = record.data;
  const std::size_t each = record.id == rec::kMulRk ? 6 : 2;
  if (data.size() < 6 || (data.size() - 6) % each != 0) return;
  const std::size_t count = (data.size() - 6) / each;
  const Cell first = at(data);
  for (std::size_t k = 0; k < count; ++k) {
    Cell cell = first;
    cell.column = first.column + static_cast<std::uint32_t>(k);
    take_format(cell, formats, get_u16(data.data() + 4 + each * k));
    if (record.id == rec::kMulRk) {
      cell.value.kind = CellKind::number;
      cell.value.number = decode_rk(get_u32(data.data() + 4 + each * k + 2));
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
    if (!rec::is_cell(record.id) || data.size() < 6) continue;
    Cell cell = at(data);
    switch (record.id) {
      case rec::kFormula:
        read_formula(records, i, formats, out);
        continue;
      case rec::kMulRk:
      case rec::kMulBlank:
        read_multiple(record, formats, out);
        continue;
      case rec::kLabelSst: {
        if (data.size() < 10) continue;
        const std::u16string* text = strings.find(get_u32(data.data() + 6));
        cell.value.kind = CellKind::text;
        if (text) cell.value.text = *text;
        break;
      }
      case rec::kLabel:
      case rec::kRString: {
        std::size_t pos = 6;
        if (!read_unicode_string(data, pos, false, cell.value.text)) continue;
        cell.value.kind = CellKind::text;
        break;
      }
      case rec::kNumber:
        if (data.size() < 14) continue;
        cell.value.kind = CellKind::number;
        cell.value.number = get_f64(data.data() + 6);
        break;
      case rec::kRk:
        if (data.size() < 10) continue;
        cell.value.kind = CellKind::number;
        cell.value.number = decode_rk(get_u32(data.data() + 6));
        break;
      case rec::kBoolErr:
        if (data.size() < 8) continue;
        if (data[7] != 0) {
          cell.value.kind = CellKind::error;
          cell.value.error_code = static_cast<std::uint8_t>(data[6]);
        } else {
          cell.value.kind = CellKind::boolean;
          cell.value.boolean = data[6] != 0;
        }
        break;
      default:  // BLANK
        break;
    }
    take_format(cell, formats, get_u16(data.data() + 4));
    out.push_back(std::move(cell));
  }
  std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                   [](const Cell& a, const Cell& b) {
                     return a.row != b.row ? a.row < b.row : a.column < b.column;
                   });
}

}  // namespace xls
