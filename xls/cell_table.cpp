#include "xls/cell_table.h"

#include <algorithm>

#include "xls/cell_records.h"
#include "xls/error.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"

namespace xls {

namespace {

constexpr std::uint16_t kLastColumn = 255;
constexpr std::uint16_t kRowsPerBlock = DbCellRecord::kRowsPerBlock;

std::string cell_error(const char* what, std::uint16_t row, std::uint16_t column) {
  return std::string("its cell table is inconsistent: ") + what + " at row " +
         std::to_string(row + 1) + ", column " + std::to_string(column + 1);
}

bool is_run(std::uint16_t id) {
  return id == rec::kMulRk || id == rec::kMulBlank;
}

std::uint32_t position(const std::string& out) {
  return static_cast<std::uint32_t>(out.size());
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
    if (before_[i].id == rec::kDimensions) {
      dimensions_ = i;
      if (const auto declared = DimensionsRecord::parse(before_[i].data)) declared_ = *declared;
    } else if (before_[i].id == rec::kProtect) {
      protected_ = before_[i].data.size() >= 2 && get_u16(before_[i].data.data()) != 0;
    } else if (before_[i].id == rec::kColInfo) {
      if (const auto columns = ColInfoRecord::parse(before_[i].data))
        column_formats_.push_back(*columns);
    }
  }
  if (dimensions_ == before_.size()) {  // a sheet without DIMENSIONS gets one
    before_.push_back({rec::kDimensions, own(DimensionsRecord{}.emit())});
    before_depth_.push_back(1);
  }
  read_table({records.begin() + static_cast<std::ptrdiff_t>(first),
              records.begin() + static_cast<std::ptrdiff_t>(last)});
  last_row_ = nullptr;
  index_formula_ranges();
}

std::string_view CellTable::own(std::string bytes) {
  owned_.push_back(std::move(bytes));
  return owned_.back();
}

void CellTable::read_table(const std::vector<Record>& records) {
  CellEntry* last = nullptr;
  for (const Record& record : records) {
    if (record.id == rec::kRow) {
      const auto row = RowRecord::parse(record.data);
      if (!row) throw Error(ErrorKind::unreadable, "its cell table holds a short ROW record");
      rows_[row->row].row_record = *row;
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
  if (record.data.size() < CellHeader::kSize) {
    throw Error(ErrorKind::unreadable, "its cell table holds a cell record that is too short");
  }
  const CellHeader header = CellHeader::parse(record.data);
  const std::uint16_t row = header.row;
  CellEntry entry;
  entry.record = record;
  entry.first = entry.last = header.column;
  if (is_run(record.id)) {
    const auto run = CellRunRecord::parse(record.id, record.data);
    if (!run || !run->consistent()) {
      throw Error(ErrorKind::unreadable, cell_error("a malformed run of cells", row, entry.first));
    }
    entry.last = run->last_column;
  }
  if (entry.last > kLastColumn)
    throw Error(ErrorKind::unreadable, cell_error("a cell beyond column 256", row, entry.last));
  if (!last_row_ || last_row_number_ != row) {
    last_row_ = &rows_[row];
    last_row_number_ = row;
  }
  auto& cells = last_row_->cells;
  if (cells.empty() || cells.back().last < entry.first) {  // the usual order
    cells.push_back(std::move(entry));
    last = &cells.back();
    return;
  }
  // A record for cells that an earlier record already holds: the later one is the cell, as
  // readers show it, and the earlier gives those cells up.
  std::vector<Record> left_over = drop_columns(cells, entry.first, entry.last);
  entry.trailing = std::move(left_over);
  auto it =
      std::upper_bound(cells.begin(), cells.end(), entry.first,
                       [](std::uint16_t column, const CellEntry& e) { return column < e.first; });
  last = &*cells.insert(it, std::move(entry));
}

std::vector<Record> CellTable::drop_columns(std::vector<CellEntry>& cells, std::uint16_t from,
                                            std::uint16_t to) {
  std::vector<Record> left_over;
  std::vector<CellEntry> kept;
  for (CellEntry& entry : cells) {
    if (entry.last < from || entry.first > to) {
      kept.push_back(std::move(entry));
      continue;
    }
    if (entry.first < from) kept.push_back(cut(entry, entry.first, from - 1));
    if (entry.last > to) kept.push_back(cut(entry, to + 1, entry.last));
    if (entry.first < from || entry.last > to) {  // a run keeps what followed it
      kept.back().trailing = std::move(entry.trailing);
      continue;
    }
    bool in_string = false;
    for (const Record& record : entry.trailing) {
      if (record.id != rec::kContinue) in_string = record.id == rec::kString;
      if (!in_string) left_over.push_back(record);
    }
  }
  cells = std::move(kept);
  return left_over;
}

std::uint16_t CellTable::format_at(const RowEntry& row, std::uint16_t column) const {
  if (row.row_record && row.row_record->formatted()) return row.row_record->format_index();
  for (const ColInfoRecord& columns : column_formats_) {
    if (column >= columns.first_column && column <= columns.last_column) return columns.format;
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
  if (is_run(it->record.id))
    return CellRunRecord::parse(it->record.id, it->record.data)->format(column - it->first);
  return CellHeader::parse(it->record.data).format;
}

bool CellTable::has_cell(std::uint16_t row, std::uint16_t column) const {
  const auto r = rows_.find(row);
  return r != rows_.end() && find(r->second.cells, column) != r->second.cells.end();
}

void CellTable::set_cell(std::uint16_t row, std::uint16_t column, std::uint16_t id,
                         std::string body) {
  written_ = true;
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
  if (it->record.id == rec::kFormula) unshare(*it, row, column);
  const CellEntry old = std::move(*it);
  std::vector<CellEntry> replacement;
  if (old.first < column) {  // the part of a run left of the new cell
    replacement.push_back(cut(old, old.first, column - 1));
  }
  replacement.push_back(std::move(cell));
  if (column < old.last) {  // and the part right of it
    replacement.push_back(cut(old, column + 1, old.last));
  }
  // What followed the old cell stays with what takes its place, but for what belonged to
  // its formula alone: the stored string, the shared formula (its other cells hold it now),
  // a single-cell array formula.
  bool dropping = false;
  for (const Record& record : old.trailing) {
    if (record.id != rec::kContinue) {
      dropping =
          record.id == rec::kString || record.id == rec::kShrFmla || record.id == rec::kArray;
    }
    if (!dropping) replacement.back().trailing.push_back(record);
  }
  it = cells.erase(it);
  cells.insert(it, std::make_move_iterator(replacement.begin()),
               std::make_move_iterator(replacement.end()));
}

CellTable::CellEntry CellTable::cut(const CellEntry& run, std::uint16_t from, std::uint16_t to) {
  std::string body;
  const std::uint16_t id =
      CellRunRecord::parse(run.record.id, run.record.data)->emit_part(from, to, body);
  return CellEntry{from, to, {id, own(std::move(body))}, {}};
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

DimensionsRecord CellTable::dimensions() const {
  // What the template declared, widened to every cell there is now.
  DimensionsRecord dimensions = declared_;
  dimensions.reserved = 0;
  bool empty = dimensions.empty();
  for (const auto& [number, row] : rows_) {
    if (row.cells.empty()) continue;
    const std::uint16_t first_column = row.cells.front().first;
    const auto end_column = static_cast<std::uint16_t>(row.cells.back().last + 1);
    if (empty) {
      dimensions.first_row = number;
      dimensions.end_row = number + 1u;
      dimensions.first_column = first_column;
      dimensions.end_column = end_column;
      empty = false;
      continue;
    }
    dimensions.first_row = std::min<std::uint32_t>(dimensions.first_row, number);
    dimensions.end_row = std::max<std::uint32_t>(dimensions.end_row, number + 1u);
    dimensions.first_column = std::min(dimensions.first_column, first_column);
    dimensions.end_column = std::max(dimensions.end_column, end_column);
  }
  return dimensions;
}

RowRecord CellTable::row_record(std::uint16_t number, const RowEntry& row) const {
  RowRecord record;  // default height, no format
  if (row.row_record) {
    record = *row.row_record;
  } else {
    record.row = number;
  }
  if (!row.cells.empty() && (row.touched || !row.row_record)) {
    record.first_column = row.cells.front().first;
    record.end_column = static_cast<std::uint16_t>(row.cells.back().last + 1);
  }
  return record;
}

CellTable::RowIterator CellTable::end_of_block(RowIterator first) const {
  const int block = first->first / kRowsPerBlock;
  auto end = first;
  while (end != rows_.end() && end->first / kRowsPerBlock == block) ++end;
  return end;
}

std::size_t CellTable::block_count() const {
  std::size_t count = 0;
  for (auto block = rows_.begin(); block != rows_.end(); block = end_of_block(block)) ++count;
  return count;
}

IndexRecord CellTable::index(const Positions& positions) const {
  IndexRecord index;
  bool any = false;
  for (const auto& [number, row] : rows_) {
    if (row.cells.empty()) continue;
    if (!any) index.first_row = number;
    index.end_row = number + 1u;
    any = true;
  }
  index.default_width_at = positions.default_width_at;
  index.dbcell_at = positions.dbcell_at;
  return index;
}

void CellTable::write_before_table(std::string& out, Positions& positions) const {
  for (std::size_t i = 0; i < before_.size(); ++i) {
    const Record& record = before_[i];
    const bool own = before_depth_[i] == 1;
    if (i == dimensions_) {
      append_record(out, rec::kDimensions, dimensions().emit());
    } else if (own && record.id == rec::kIndex && !positions.index_at) {
      positions.index_at = out.size();
      append_record(out, rec::kIndex, std::string(IndexRecord::size(block_count()), '\0'));
    } else {
      if (own && record.id == rec::kDefColWidth) positions.default_width_at = position(out);
      append_record(out, record.id, record.data);
    }
  }
  for (const Record& record : leading_) append_record(out, record.id, record.data);
}

std::uint32_t CellTable::write_block(std::string& out, RowIterator first, RowIterator end) const {
  const std::uint32_t first_row_at = position(out);
  for (auto row = first; row != end; ++row)
    append_record(out, rec::kRow, row_record(row->first, row->second).emit());
  DbCellRecord dbcell;
  std::uint32_t previous = first_row_at + kRecordHeaderSize + RowRecord::kSize;
  for (auto row = first; row != end; ++row) {
    dbcell.cell_distances.push_back(static_cast<std::uint16_t>(position(out) - previous));
    previous = position(out);
    for (const CellEntry& entry : row->second.cells) {
      append_record(out, entry.record.id, entry.record.data);
      for (const Record& t : entry.trailing) append_record(out, t.id, t.data);
    }
  }
  const std::uint32_t dbcell_at = position(out);
  dbcell.first_row_distance = dbcell_at - first_row_at;
  append_record(out, rec::kDbCell, dbcell.emit());
  return dbcell_at;
}

void CellTable::write(std::string& out) const {
  Positions positions;
  write_before_table(out, positions);
  for (auto block = rows_.begin(); block != rows_.end();) {
    const auto block_end = end_of_block(block);
    positions.dbcell_at.push_back(write_block(out, block, block_end));
    block = block_end;
  }
  for (const Record& record : after_) append_record(out, record.id, record.data);
  if (positions.index_at) patch_record(out, *positions.index_at, index(positions).emit());
}

}  // namespace xls
