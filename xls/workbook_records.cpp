#include "xls/workbook_records.h"

#include "xls/biff_string.h"
#include "xls/little_endian.h"

namespace xls {

std::optional<BofRecord> BofRecord::parse(std::string_view body) {
  if (body.size() < kReadSize) return std::nullopt;
  FieldReader in(body);
  BofRecord record;
  record.version = in.u16();
  record.type = in.u16();
  if (body.size() >= kSize) {
    record.build = in.u16();
    record.year = in.u16();
    record.history = in.u32();
    record.lowest_version = in.u32();
  }
  return record;
}

std::string BofRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  out.u16(version);
  out.u16(type);
  out.u16(build);
  out.u16(year);
  out.u32(history);
  out.u32(lowest_version);
  return body;
}

std::optional<BoundSheetRecord> BoundSheetRecord::parse(std::string_view body) {
  constexpr std::size_t kNameAt = 6;
  BoundSheetRecord record;
  std::size_t pos = kNameAt;
  if (body.size() < kNameAt + 2 || !read_unicode_string(body, pos, true, record.name)) {
    return std::nullopt;
  }
  FieldReader in(body);
  record.position = in.u32();
  record.visibility = in.u8();
  record.type = in.u8();
  return record;
}

std::string BoundSheetRecord::emit() const {
  std::string body;
  put_u32(body, position);
  put_u8(body, visibility);
  put_u8(body, type);
  append_unicode_string(body, name, /*short_count=*/true);
  return body;
}

std::optional<RecalcIdRecord> RecalcIdRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  FieldReader in(body);
  RecalcIdRecord record;
  record.id = in.u16();
  record.reserved = in.u16();
  record.engine_build = in.u32();
  record.rest = in.rest();
  return record;
}

std::string RecalcIdRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  out.u16(id);
  out.u16(reserved);
  out.u32(engine_build);
  body.append(rest);
  return body;
}

DateModeRecord DateModeRecord::parse(std::string_view body) {
  return {body.size() >= kSize ? FieldReader(body).u16() : std::uint16_t{0}};
}

std::string DateModeRecord::emit() const {
  std::string body;
  FieldWriter(body, kSize).u16(flags);
  return body;
}

}  // namespace xls
