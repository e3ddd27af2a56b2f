#include "xls/sheet_records.h"

#include "xls/little_endian.h"

namespace xls {

std::optional<RowRecord> RowRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  FieldReader in(body);
  RowRecord record;
  record.row = in.u16();
  record.first_column = in.u16();
  record.end_column = in.u16();
  record.height = in.u16();
  record.reserved = in.u16();
  record.unused = in.u16();
  record.options = in.u16();
  record.format = in.u16();
  record.rest = in.rest();
  return record;
}

std::string RowRecord::emit() const {
  std::string body;
  body.reserve(kSize + rest.size());
  FieldWriter out(body, kSize);
  out.u16(row);
  out.u16(first_column);
  out.u16(end_column);
  out.u16(height);
  out.u16(reserved);
  out.u16(unused);
  out.u16(options);
  out.u16(format);
  body.append(rest);
  return body;
}

std::optional<DimensionsRecord> DimensionsRecord::parse(std::string_view body) {
  if (body.size() < kShortSize) return std::nullopt;
  DimensionsRecord record;
  FieldReader in(body);
  if (body.size() >= kSize) {
    record.first_row = in.u32();
    record.end_row = in.u32();
  } else {
    record.first_row = in.u16();
    record.end_row = in.u16();
  }
  record.first_column = in.u16();
  record.end_column = in.u16();
  if (body.size() >= kSize) record.reserved = in.u16();
  return record;
}

std::string DimensionsRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  out.u32(first_row);
  out.u32(end_row);
  out.u16(first_column);
  out.u16(end_column);
  out.u16(reserved);
  return body;
}

std::optional<IndexRecord> IndexRecord::parse(std::string_view body) {
  if (body.size() < kFixedSize) return std::nullopt;
  FieldReader in(body);
  IndexRecord record;
  record.reserved = in.u32();
  record.first_row = in.u32();
  record.end_row = in.u32();
  record.default_width_at = in.u32();
  record.dbcell_at.resize((body.size() - kFixedSize) / 4);
  for (std::uint32_t& position : record.dbcell_at) position = in.u32();
  return record;
}

std::string IndexRecord::emit() const {
  std::string body;
  FieldWriter out(body, size(dbcell_at.size()));
  out.u32(reserved);
  out.u32(first_row);
  out.u32(end_row);
  out.u32(default_width_at);
  for (const std::uint32_t position : dbcell_at) out.u32(position);
  return body;
}

std::string DbCellRecord::emit() const {
  std::string body;
  FieldWriter out(body, 4 + 2 * cell_distances.size());
  out.u32(first_row_distance);
  for (const std::uint16_t distance : cell_distances) out.u16(distance);
  return body;
}

std::optional<ColInfoRecord> ColInfoRecord::parse(std::string_view body) {
  if (body.size() < kReadSize) return std::nullopt;
  FieldReader in(body);
  ColInfoRecord record;
  record.first_column = in.u16();
  record.last_column = in.u16();
  record.width = in.u16();
  record.format = in.u16();
  return record;
}

}  // namespace xls
