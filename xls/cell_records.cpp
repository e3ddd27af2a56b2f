#include "xls/cell_records.h"

#include "xls/little_endian.h"

namespace xls {

namespace {

// A record's fields after its cell header.
FieldReader after_header(std::string_view body) {
  return FieldReader(body.substr(CellHeader::kSize));
}

}  // namespace

std::optional<LabelSstRecord> LabelSstRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  return LabelSstRecord{CellHeader::parse(body), after_header(body).u32()};
}

std::string LabelSstRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  cell.emit(out);
  out.u32(string_index);
  return body;
}

std::optional<RkRecord> RkRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  return RkRecord{CellHeader::parse(body), after_header(body).u32()};
}

std::string RkRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  cell.emit(out);
  out.u32(rk);
  return body;
}

std::optional<NumberRecord> NumberRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  return NumberRecord{CellHeader::parse(body), after_header(body).f64()};
}

std::string NumberRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  cell.emit(out);
  out.f64(value);
  return body;
}

std::optional<BoolErrRecord> BoolErrRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  FieldReader in = after_header(body);
  BoolErrRecord record;
  record.cell = CellHeader::parse(body);
  record.value = in.u8();
  record.is_error = in.u8() != 0;
  return record;
}

std::string BoolErrRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  cell.emit(out);
  out.u8(value);
  out.u8(is_error ? 1 : 0);
  return body;
}

std::string BlankRecord::emit() const {
  std::string body;
  FieldWriter out(body, CellHeader::kSize);
  cell.emit(out);
  return body;
}

bool CellRunRecord::consistent() const {
  return count() > 0 && last_column == first_column + count() - 1;
}

std::uint16_t CellRunRecord::format(std::size_t k) const {
  return get_u16(cells.data() + k * cell_size());
}

std::uint32_t CellRunRecord::rk(std::size_t k) const {
  return get_u32(cells.data() + k * cell_size() + 2);
}

std::optional<CellRunRecord> CellRunRecord::parse(std::uint16_t id, std::string_view body) {
  if (body.size() < kMinSize) return std::nullopt;
  CellRunRecord record;
  record.id = id;
  FieldReader in(body);
  record.row = in.u16();
  record.first_column = in.u16();
  record.cells = body.substr(4, body.size() - kMinSize);
  record.last_column = get_u16(body.data() + body.size() - 2);
  if (record.cells.size() % record.cell_size() != 0) return std::nullopt;
  return record;
}

std::uint16_t CellRunRecord::emit_part(std::uint16_t from, std::uint16_t to,
                                       std::string& body) const {
  put_u16(body, row);
  put_u16(body, from);
  body.append(cells.substr(cell_size() * (from - first_column), cell_size() * (to - from + 1)));
  if (from == to) return id == rec::kMulRk ? rec::kRk : rec::kBlank;
  put_u16(body, to);
  return id;
}

}  // namespace xls
