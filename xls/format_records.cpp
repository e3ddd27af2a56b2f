#include "xls/format_records.h"

#include "xls/biff_string.h"
#include "xls/little_endian.h"

namespace xls {

namespace {

// Where XF's leading fields lie, for records too short to parse whole.
constexpr std::size_t kNumberFormatAt = 2;
constexpr std::size_t kTypeAt = 4;

FutureRecordHeader read_header(FieldReader& in) {
  FutureRecordHeader header;
  header.id = in.u16();
  header.flags = in.u16();
  header.reserved = in.u64();
  return header;
}

void write_header(FieldWriter& out, const FutureRecordHeader& header) {
  out.u16(header.id);
  out.u16(header.flags);
  out.u64(header.reserved);
}

}  // namespace

std::optional<XfRecord> XfRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  FieldReader in(body);
  XfRecord record;
  record.font = in.u16();
  record.number_format = in.u16();
  record.type = in.u16();
  record.alignment = in.u8();
  record.rotation = in.u8();
  record.indent = in.u8();
  record.used = in.u8();
  record.borders = in.u32();
  record.borders_and_fill = in.u32();
  record.fill_colors = in.u16();
  record.rest = in.rest();
  return record;
}

std::string XfRecord::emit() const {
  std::string body;
  body.reserve(kSize + rest.size());
  FieldWriter out(body, kSize);
  out.u16(font);
  out.u16(number_format);
  out.u16(type);
  out.u8(alignment);
  out.u8(rotation);
  out.u8(indent);
  out.u8(used);
  out.u32(borders);
  out.u32(borders_and_fill);
  out.u16(fill_colors);
  body.append(rest);
  return body;
}

std::optional<std::uint16_t> XfRecord::number_format_of(std::string_view body) {
  if (body.size() < kNumberFormatAt + 2) return std::nullopt;
  return get_u16(body.data() + kNumberFormatAt);
}

std::optional<std::uint16_t> XfRecord::type_of(std::string_view body) {
  if (body.size() < kTypeAt + 2) return std::nullopt;
  return get_u16(body.data() + kTypeAt);
}

std::optional<FormatRecord> FormatRecord::parse(std::string_view body) {
  FormatRecord record;
  std::size_t pos = 2;
  if (body.size() < 2 || !read_unicode_string(body, pos, false, record.code)) return std::nullopt;
  record.index = get_u16(body.data());
  return record;
}

std::string FormatRecord::emit() const {
  std::string body;
  put_u16(body, index);
  append_unicode_string(body, code);
  return body;
}

std::optional<XfExtRecord> XfExtRecord::parse(std::string_view body) {
  if (body.size() < kReadSize) return std::nullopt;
  FieldReader in(body);
  XfExtRecord record;
  record.header = read_header(in);
  record.reserved = in.u16();
  record.format = in.u16();
  record.properties = in.rest();
  return record;
}

std::string XfExtRecord::emit() const {
  std::string body;
  body.reserve(kReadSize + properties.size());
  FieldWriter out(body, kReadSize);
  write_header(out, header);
  out.u16(reserved);
  out.u16(format);
  body.append(properties);
  return body;
}

std::optional<XfCrcRecord> XfCrcRecord::parse(std::string_view body) {
  if (body.size() < kSize) return std::nullopt;
  FieldReader in(body);
  XfCrcRecord record;
  record.header = read_header(in);
  record.reserved = in.u16();
  record.format_count = in.u16();
  record.checksum = in.u32();
  record.rest = in.rest();
  return record;
}

std::string XfCrcRecord::emit() const {
  std::string body;
  FieldWriter out(body, kSize);
  write_header(out, header);
  out.u16(reserved);
  out.u16(format_count);
  out.u32(checksum);
  body.append(rest);
  return body;
}

}  // namespace xls
