// The records of a new workbook: what Excel needs to open it (fonts, the 15 style formats
// and the default cell format, the Normal style), one empty worksheet named "Data".

#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/record_stream.h"
#include "xls/workbook_state.h"

namespace xls {

namespace {

constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kPrecision = 0x000E;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kCalcMode = 0x000D;
constexpr std::uint16_t kCalcCount = 0x000C;
constexpr std::uint16_t kRefMode = 0x000F;
constexpr std::uint16_t kIteration = 0x0011;
constexpr std::uint16_t kDelta = 0x0010;
constexpr std::uint16_t kSaveRecalc = 0x005F;

std::string bof(std::uint16_t type) {
  std::string body;
  put_u16(body, rec::kBiff8Version);
  put_u16(body, type);
  put_u16(body, 0x0DBB);  // build and year of the application that wrote it
  put_u16(body, 0x07CC);
  put_u32(body, 0);
  put_u32(body, 0x00000006);  // lowest version that can read it: BIFF8
  return body;
}

std::string u16s(std::initializer_list<std::uint16_t> values) {
  std::string body;
  for (std::uint16_t v : values) put_u16(body, v);
  return body;
}

std::string font() {
  std::string body = u16s({200, 0, 0x7FFF, 400, 0});  // 10 pt, automatic colour, normal weight
  body.append(4, '\0');                               // underline, family, character set, reserved
  body += std::string("\x05\x00", 2) + "Arial";
  return body;
}

std::string cell_format(bool style, std::uint8_t used) {
  std::string body = u16s({0, 0, static_cast<std::uint16_t>(style ? 0xFFF5 : 0x0001)});
  body += std::string("\x20\x00\x00", 3);  // bottom-aligned, no rotation, no indent
  put_u8(body, used);
  body.append(8, '\0');  // no borders, no diagonal, no fill pattern
  put_u16(body, 0x20C0);  // automatic pattern colours
  return body;
}

}  // namespace

std::string blank_workbook_stream() {
  std::string out;
  append_record(out, rec::kBof, bof(rec::kBofGlobals));
  append_record(out, kCodePage, u16s({1200}));  // strings are Unicode
  append_record(out, kWindow1, u16s({0x0168, 0x001E, 0x3A98, 0x1F40, 0x0038, 0, 0, 1, 0x0258}));
  append_record(out, rec::kDateMode, u16s({0}));
  append_record(out, kPrecision, u16s({1}));
  for (int i = 0; i < 4; ++i) append_record(out, kFont, font());
  for (int i = 0; i < 15; ++i)
    append_record(out, rec::kXf, cell_format(true, i == 0 ? 0x00 : 0xF4));
  append_record(out, rec::kXf, cell_format(false, 0x00));
  append_record(out, kStyle, u16s({0x8000, 0xFF00}));  // built-in Normal style on format 0
  const std::size_t sheet_position_field = out.size() + 4;
  std::string sheet_entry;
  put_u32(sheet_entry, 0);
  sheet_entry += std::string("\x00\x00\x04\x00", 4) + "Data";  // visible worksheet, name
  append_record(out, rec::kBoundSheet, sheet_entry);
  append_record(out, rec::kSst, std::string(8, '\0'));
  append_record(out, rec::kExtSst, u16s({8}));
  append_record(out, rec::kEof, "");

  const auto sheet_start = static_cast<std::uint32_t>(out.size());
  set_u32(out.data() + sheet_position_field, sheet_start);
  append_record(out, rec::kBof, bof(rec::kBofWorksheet));
  const std::size_t index_field = out.size() + 4 + 12;
  append_record(out, rec::kIndex, std::string(16, '\0'));
  append_record(out, kCalcMode, u16s({1}));
  append_record(out, kCalcCount, u16s({100}));
  append_record(out, kRefMode, u16s({1}));
  append_record(out, kIteration, u16s({0}));
  std::string delta;
  put_f64(delta, 0.001);
  append_record(out, kDelta, delta);
  append_record(out, kSaveRecalc, u16s({1}));
  set_u32(out.data() + index_field, static_cast<std::uint32_t>(out.size()));
  append_record(out, rec::kDefColWidth, u16s({8}));
  append_record(out, rec::kDimensions, std::string(14, '\0'));
  append_record(out, rec::kWindow2, u16s({0x06B6, 0, 0, 0x0040, 0, 0, 0, 0, 0}));
  append_record(out, rec::kEof, "");
  // Excel and most writers keep the workbook stream out of the mini stream.
  if (out.size() < 4096) out.resize(4096, '\0');
  return out;
}

}  // namespace xls
