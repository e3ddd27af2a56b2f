#include "xls/cell_table.h"

#include <algorithm>

#include "xls/error.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"

namespace xls {

namespace {

constexpr std::uint16_t kLastColumn = 255;
constexpr std::size_t kRowRecordSize = 16;
constexpr std::uint16_t kRowsPerBlock = 32;

std::string cell_error(const char* what, std::uint16_t row, std::uint16_t column) {
  return std::string("its cell table is inconsistent: ") + what + " at row " +
         std::to_string(row + 1) + ", column " + std::to_string(column + 1);
}

// Body of a cell record covering columns [from, to] cut out of a MULRK or MULBLANK.
std::string cut_multiple(const Record& record, std::uint16_t first, std::uint16_t from,
                         std::uint16_t to) {
  const std::size_t each = record.id == rec::kMulRk ? 6 : 2;
  std::string body = std::string(record.data.substr(0, 2));
  put_u16(body, from);
  body.append(record.data.substr(4 + each * (from - first), each * (to - from + 1)));
  if (from != to) put_u16(body, to);
  return body;
}

}  // namespace

CellTable::CellTable(const Substream& sheet, std::uint16_t fallback_xf)
    : fallback_xf_(fallback_xf) {
  const auto& records = sheet.records;
  std::size_t first = records.size();
  std::size_t last = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (sheet.depth[i] == 1 && rec::is_cell_table(records[i].id)) {
      first = std::min(first, i);
      last = i + 1;
    }
  }
  while (last > 0 && last < records.size() && records[last].id == rec::kContinue) ++last;
  if (first == records.size()) {
    // No cells yet: the table goes after DIMENSIONS, else before WINDOW2, else before EOF.
    first = records.size() - 1;
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (sheet.depth[i] != 1) continue;
      if (records[i].id == rec::kDimensions) {
        first = i + 1;
        break;
      }
      if (records[i].id == rec::kWindow2) first = std::min(first, i);
    }
    last = first;
  }
  before_.assign(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(first));
  before_depth_.assign(sheet.depth.begin(),
                       sheet.depth.begin() + static_cast<std::ptrdiff_t>(first));
  after_.assign(records.begin() + static_cast<std::ptrdiff_t>(last), records.end());

  dimensions_ = before_.size();
  for (std::size_t i = 0; i < before_.size(); ++i) {
    if (before_depth_[i] != 1) continue;
    const std::string_view data = before_[i].data;
    if (before_[i].id == rec::kDimensions) {
      dimensions_ = i;
      if (data.size() >= 14) {
        dims_[0] = get_u32(data.data()), dims_[1] = get_u32(data.data() + 4);
        dims_[2] = get_u16(data.data() + 8), dims_[3] = get_u16(data.data() + 10);
      } else if (data.size() >= 8) {
        dims_[0] = get_u16(data.data()), dims_[1] = get_u16(data.data() + 2);
        dims_[2] = get_u16(data.data() + 4), dims_[3] = get_u16(data.data() + 6);
      }
    } else if (before_[i].id == rec::kColInfo && data.size() >= 8) {
      column_formats_.push_back(
          {get_u16(data.data()), get_u16(data.data() + 2), get_u16(data.data() + 6)});
    }
  }
  if (dimensions_ == before_.size()) {  // a sheet without DIMENSIONS gets one
    before_.push_back({rec::kDimensions, own(std::string(14, '\0'))});
    before_depth_.push_back(1);
  }
  read_table({records.begin() + static_cast<std::ptrdiff_t>(first),
              records.begin() + static_cast<std::ptrdiff_t>(last)});
  last_row_ = nullptr;
}

std::string_view CellTable::own(std::string bytes) {
  owned_.push_back(std::move(bytes));
  return owned_.back();
}

void CellTable::read_table(const std::vector<Record>& records) {
  CellEntry* last = nullptr;
  for (const Record& record : records) {
    if (record.id == rec::kRow) {
      if (record.data.size() < kRowRecordSize)
        throw Error(ErrorKind::unreadable, "its cell table holds a short ROW record");
      rows_[get_u16(record.data.data())].row_record = record.data;
    } else if (record.id == rec::kDbCell) {
      continue;  // rebuilt on write
    } else if (rec::is_cell(record.id)) {
      add_cell(record, last);
    } else if (last) {
      last->trailing.push_back(record);
    } else {
      leading_.push_back(record);
    }
  }
}

void CellTable::add_cell(const Record& record, CellEntry*& last) {
  const std::string_view data = record.data;
  if (data.size() < 6)
    throw Error(ErrorKind::unreadable, "its cell table holds a cell record that is too short");
  CellEntry entry;
  entry.record = record;
  const std::uint16_t row = get_u16(data.data());
  entry.first = entry.last = get_u16(data.data() + 2);
  if (record.id == rec::kMulRk || record.id == rec::kMulBlank) {
    const std::size_t each = record.id == rec::kMulRk ? 6 : 2;
    const std::size_t count = (data.size() - 6) / each;
    if ((data.size() - 6) % each != 0 || count == 0 ||
        get_u16(data.data() + data.size() - 2) != entry.first + count - 1) {
      throw Error(ErrorKind::unreadable, cell_error("a malformed run of cells", row, entry.first));
    }
    entry.last = static_cast<std::uint16_t>(entry.first + count - 1);
  }
  if (entry.last > kLastColumn)
    throw Error(ErrorKind::unreadable, cell_error("a cell beyond column 256", row, entry.last));
  if (!last_row_ || last_row_number_ != row) last_row_ = &rows_[row], last_row_number_ = row;
  auto& cells = last_row_->cells;
  if (cells.empty() || cells.back().last < entry.first) {  // the usual order
    cells.push_back(std::move(entry));
    last = &cells.back();
    return;
  }
  auto it =
      std::upper_bound(cells.begin(), cells.end(), entry.first,
                       [](std::uint16_t column, const CellEntry& e) { return column < e.first; });
  if ((it != cells.begin() && std::prev(it)->last >= entry.first) ||
      (it != cells.end() && it->first <= entry.last)) {
    throw Error(ErrorKind::unreadable,
                cell_error("two cell records for one cell", row, entry.first));
  }
  last = &*cells.insert(it, std::move(entry));
}

std::uint16_t CellTable::format_at(const RowEntry& row, std::uint16_t column) const {
  const std::string_view r = row.row_record;
  if (r.size() >= kRowRecordSize && (static_cast<unsigned char>(r[12]) & 0x80)) {  // row formatted
    return get_u16(r.data() + 14) & 0x0FFF;
  }
  for (const ColumnFormat& format : column_formats_) {
    if (column >= format.first && column <= format.last) return format.xf;
  }
  return fallback_xf_;
}

std::vector<CellTable::CellEntry>::const_iterator CellTable::find(
    const std::vector<CellEntry>& cells, std::uint16_t column) {
  auto it = std::upper_bound(cells.begin(), cells.end(), column,
                             [](std::uint16_t c, const CellEntry& e) { return c < e.first; });
  if (it == cells.begin() || std::prev(it)->last < column) return cells.end();
  return std::prev(it);
}

std::uint16_t CellTable::format_of(std::uint16_t row, std::uint16_t column) const {
  static const RowEntry no_row;
  const auto r = rows_.find(row);
  const RowEntry& row_entry = r != rows_.end() ? r->second : no_row;
  const auto it = find(row_entry.cells, column);
  if (it == row_entry.cells.end()) return format_at(row_entry, column);
  const std::string_view data = it->record.data;
  if (it->record.id == rec::kMulRk) return get_u16(data.data() + 4 + 6 * (column - it->first));
  if (it->record.id == rec::kMulBlank) return get_u16(data.data() + 4 + 2 * (column - it->first));
  return get_u16(data.data() + 4);
}

bool CellTable::has_cell(std::uint16_t row, std::uint16_t column) const {
  const auto r = rows_.find(row);
  return r != rows_.end() && find(r->second.cells, column) != r->second.cells.end();
}

void CellTable::set_cell(std::uint16_t row, std::uint16_t column, std::uint16_t id,
                         std::string body) {
  RowEntry& row_entry = rows_[row];
  row_entry.touched = true;
  auto& cells = row_entry.cells;
  CellEntry cell{column, column, {id, own(std::move(body))}, {}};
  auto it = std::upper_bound(cells.begin(), cells.end(), column,
                             [](std::uint16_t c, const CellEntry& e) { return c < e.first; });
  if (it == cells.begin() || std::prev(it)->last < column) {  // an empty cell
    cells.insert(it, std::move(cell));
    return;
  }
  it = std::prev(it);
  const CellEntry old = std::move(*it);
  std::vector<CellEntry> replacement;
  if (old.first < column) {  // the part of a run left of the new cell
    replacement.push_back(cut(old, old.first, column - 1));
  }
  replacement.push_back(std::move(cell));
  if (column < old.last) {  // and the part right of it
    replacement.push_back(cut(old, column + 1, old.last));
  }
  // A replaced formula's cached string goes; shared-formula, array and table records
  // move on to the next formula so that the cells that refer to them keep them.
  std::vector<Record> carried;
  bool in_string = false;
  for (const Record& record : old.trailing) {
    if (record.id == rec::kString) {
      in_string = true;
    } else if (record.id != rec::kContinue) {
      in_string = false;
    }
    if (!in_string) carried.push_back(record);
  }
  if (replacement.size() > 1) {  // a split run keeps whatever followed it
    replacement.back().trailing = std::move(carried);
    carried.clear();
  }
  it = cells.erase(it);
  cells.insert(it, std::make_move_iterator(replacement.begin()),
               std::make_move_iterator(replacement.end()));
  if (!carried.empty()) carry_to_next_formula(row, column, std::move(carried));
}

CellTable::CellEntry CellTable::cut(const CellEntry& run, std::uint16_t from, std::uint16_t to) {
  const bool single = from == to;
  const std::uint16_t id = run.record.id == rec::kMulRk ? (single ? rec::kRk : rec::kMulRk)
                                                        : (single ? rec::kBlank : rec::kMulBlank);
  return CellEntry{from, to, {id, own(cut_multiple(run.record, run.first, from, to))}, {}};
}

void CellTable::carry_to_next_formula(std::uint16_t row, std::uint16_t column,
                                      std::vector<Record> records) {
  for (auto r = rows_.find(row); r != rows_.end(); ++r) {
    for (CellEntry& entry : r->second.cells) {
      if (r->first == row && entry.first <= column) continue;
      if (entry.record.id == rec::kFormula) {
        entry.trailing.insert(entry.trailing.begin(), records.begin(), records.end());
        return;
      }
    }
  }
}

std::vector<Record> CellTable::cell_records() const {
  std::vector<Record> out = leading_;
  for (const auto& [number, row] : rows_) {
    for (const CellEntry& entry : row.cells) {
      out.push_back(entry.record);
      out.insert(out.end(), entry.trailing.begin(), entry.trailing.end());
    }
  }
  return out;
}

std::size_t CellTable::string_references() const {
  std::size_t count = 0;
  for (const auto& [number, row] : rows_) {
    for (const CellEntry& entry : row.cells) count += entry.record.id == rec::kLabelSst;
  }
  return count;
}

std::array<std::uint32_t, 4> CellTable::dimensions() const {
  // What the template declared, widened to every cell there is now.
  std::array<std::uint32_t, 4> dims{dims_[0], dims_[1], dims_[2], dims_[3]};
  bool empty = dims[1] <= dims[0] || dims[3] <= dims[2];
  for (const auto& [number, row] : rows_) {
    if (row.cells.empty()) continue;
    const std::uint32_t first = row.cells.front().first, end = row.cells.back().last + 1u;
    if (empty) {
      dims = {number, number + 1u, first, end};
      empty = false;
      continue;
    }
    dims[0] = std::min<std::uint32_t>(dims[0], number),
    dims[1] = std::max<std::uint32_t>(dims[1], number + 1u);
    dims[2] = std::min(dims[2], first), dims[3] = std::max(dims[3], end);
  }
  return dims;
}

std::string CellTable::row_body(std::uint16_t row_number, const RowEntry& row) const {
  std::string body;
  if (row.row_record.empty()) {  // default height, no format
    put_u16(body, row_number);
    put_u16(body, 0);
    put_u16(body, 0);
    put_u16(body, 0x00FF);
    put_u32(body, 0);
    put_u16(body, 0x0100);
    put_u16(body, 0x000F);
  } else {
    body = row.row_record;
  }
  if (!row.cells.empty() && (row.touched || row.row_record.empty())) {
    set_u16(body.data() + 2, row.cells.front().first);
    set_u16(body.data() + 4, static_cast<std::uint16_t>(row.cells.back().last + 1));
  }
  return body;
}

void CellTable::write(std::string& out) const {
  std::size_t blocks = 0;
  std::uint32_t first_row = 0, end_row = 0;
  int previous_block = -1;
  for (const auto& [number, row] : rows_) {
    if (number / kRowsPerBlock != previous_block) ++blocks, previous_block = number / kRowsPerBlock;
    if (!row.cells.empty()) {
      if (end_row == 0) first_row = number;
      end_row = number + 1u;
    }
  }

  std::size_t index_at = std::string::npos;
  std::uint32_t default_width_at = 0;
  for (std::size_t i = 0; i < before_.size(); ++i) {
    const Record& record = before_[i];
    if (i == dimensions_) {
      const auto dims = dimensions();
      std::string body;
      put_u32(body, dims[0]);
      put_u32(body, dims[1]);
      put_u16(body, static_cast<std::uint16_t>(dims[2]));
      put_u16(body, static_cast<std::uint16_t>(dims[3]));
      put_u16(body, 0);
      append_record(out, rec::kDimensions, body);
    } else if (record.id == rec::kIndex && before_depth_[i] == 1 && index_at == std::string::npos) {
      index_at = out.size();
      append_record(out, rec::kIndex, std::string(16 + 4 * blocks, '\0'));
    } else {
      if (record.id == rec::kDefColWidth && before_depth_[i] == 1) {
        default_width_at = static_cast<std::uint32_t>(out.size());
      }
      append_record(out, record.id, record.data);
    }
  }
  for (const Record& record : leading_) append_record(out, record.id, record.data);

  std::vector<std::uint32_t> dbcells;
  for (auto block = rows_.begin(); block != rows_.end();) {
    auto block_end = block;
    while (block_end != rows_.end() &&
           block_end->first / kRowsPerBlock == block->first / kRowsPerBlock) {
      ++block_end;
    }
    const auto first_row_at = static_cast<std::uint32_t>(out.size());
    for (auto r = block; r != block_end; ++r)
      append_record(out, rec::kRow, row_body(r->first, r->second));
    std::vector<std::uint32_t> cells_at;
    for (auto r = block; r != block_end; ++r) {
      cells_at.push_back(static_cast<std::uint32_t>(out.size()));
      for (const CellEntry& entry : r->second.cells) {
        append_record(out, entry.record.id, entry.record.data);
        for (const Record& t : entry.trailing) append_record(out, t.id, t.data);
      }
    }
    const auto dbcell_at = static_cast<std::uint32_t>(out.size());
    std::string body;
    put_u32(body, dbcell_at - first_row_at);
    for (std::size_t k = 0; k < cells_at.size(); ++k) {
      const std::uint32_t from = k == 0 ? first_row_at + 4 + kRowRecordSize : cells_at[k - 1];
      put_u16(body, static_cast<std::uint16_t>(cells_at[k] - from));
    }
    append_record(out, rec::kDbCell, body);
    dbcells.push_back(dbcell_at);
    block = block_end;
  }

  for (const Record& record : after_) append_record(out, record.id, record.data);

  if (index_at != std::string::npos) {
    char* p = out.data() + index_at + 4;
    set_u32(p, 0);
    set_u32(p + 4, first_row);
    set_u32(p + 8, end_row);
    set_u32(p + 12, default_width_at);
    for (std::size_t k = 0; k < dbcells.size(); ++k) set_u32(p + 16 + 4 * k, dbcells[k]);
  }
}

}  // namespace xls
