// The records of a new workbook: what Excel needs to open it (fonts, the 15 style formats
// and the default cell format, the Normal style), one empty worksheet named "Data".

#include "xls/format_records.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/record_stream.h"
#include "xls/sheet_records.h"
#include "xls/workbook_records.h"
#include "xls/workbook_state.h"

namespace xls {

namespace {

// The used-attribute bits of the built-in styles' formats after the first, as Excel
// writes them.
constexpr std::uint8_t kStyleAttributes = XfRecord::kUsesNumberFormat | XfRecord::kUsesAlignment |
                                          XfRecord::kUsesBorder | XfRecord::kUsesFill |
                                          XfRecord::kUsesProtection;

std::string bof(std::uint16_t type) {
  BofRecord record;
  record.type = type;
  record.build = 0x0DBB;  // the build and year of the application that wrote it
  record.year = 0x07CC;
  record.lowest_version = 0x00000006;  // BIFF8
  return record.emit();
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

// Font 0, number format General, bottom-aligned, no borders or fill pattern. A style's
// format has no parent; a cell format belongs to the Normal style (format 0).
std::string cell_format(bool style, std::uint8_t used) {
  XfRecord record;
  record.type =
      style ? XfRecord::kLocked | XfRecord::kStyle | XfRecord::kParent : XfRecord::kLocked;
  record.alignment = XfRecord::kVerticalBottom;
  record.used = used;
  record.fill_colors = XfRecord::kAutomaticFillColors;
  return record.emit();
}

}  // namespace

std::string blank_workbook_stream() {
  std::string out;
  append_record(out, rec::kBof, bof(BofRecord::kGlobals));
  append_record(out, rec::kCodePage, u16s({1200}));  // strings are Unicode
  append_record(out, rec::kWindow1,
                u16s({0x0168, 0x001E, 0x3A98, 0x1F40, 0x0038, 0, 0, 1, 0x0258}));
  append_record(out, rec::kDateMode, DateModeRecord{}.emit());
  append_record(out, rec::kPrecision, u16s({1}));
  for (int i = 0; i < 4; ++i) append_record(out, rec::kFont, font());
  for (int i = 0; i < 15; ++i)
    append_record(out, rec::kXf, cell_format(true, i == 0 ? 0 : kStyleAttributes));
  append_record(out, rec::kXf, cell_format(false, 0));
  append_record(out, rec::kStyle, u16s({0x8000, 0xFF00}));  // built-in Normal style on format 0
  BoundSheetRecord sheet;  // a visible worksheet; where it begins is known below
  sheet.name = u"Data";
  const std::size_t sheet_at = out.size();
  append_record(out, rec::kBoundSheet, sheet.emit());
  append_record(out, rec::kSst, std::string(8, '\0'));
  append_record(out, rec::kExtSst, u16s({8}));
  append_record(out, rec::kEof, "");

  sheet.position = static_cast<std::uint32_t>(out.size());
  patch_record(out, sheet_at, sheet.emit());
  append_record(out, rec::kBof, bof(BofRecord::kWorksheet));
  IndexRecord index;  // no rows; where DEFCOLWIDTH lies is known below
  const std::size_t index_at = out.size();
  append_record(out, rec::kIndex, index.emit());
  append_record(out, rec::kCalcMode, u16s({1}));
  append_record(out, rec::kCalcCount, u16s({100}));
  append_record(out, rec::kRefMode, u16s({1}));
  append_record(out, rec::kIteration, u16s({0}));
  std::string delta;
  put_f64(delta, 0.001);
  append_record(out, rec::kDelta, delta);
  append_record(out, rec::kSaveRecalc, u16s({1}));
  index.default_width_at = static_cast<std::uint32_t>(out.size());
  patch_record(out, index_at, index.emit());
  append_record(out, rec::kDefColWidth, u16s({8}));
  append_record(out, rec::kDimensions, DimensionsRecord{}.emit());
  append_record(out, rec::kWindow2, u16s({0x06B6, 0, 0, 0x0040, 0, 0, 0, 0, 0}));
  append_record(out, rec::kEof, "");
  // Excel and most writers keep the workbook stream out of the mini stream.
  if (out.size() < 4096) out.resize(4096, '\0');
  return out;
}

}  // namespace xls
