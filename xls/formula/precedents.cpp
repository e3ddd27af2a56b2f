#include "xls/formula/precedents.h"

#include <algorithm>
#include <optional>
#include <string>

#include "xls/formula/function_table.h"
#include "xls/formula/tokens.h"
#include "xls/little_endian.h"

namespace xls::formula {

namespace {

constexpr int kMaxNameDepth = 32;

void collect(std::string_view tokens, std::string_view extra, std::uint16_t sheet,
             std::uint16_t row, std::uint16_t column, const FormulaNames& names, int depth,
             Precedents& out) {
  const auto walked = walk(tokens, extra);
  if (!walked || depth > kMaxNameDepth) {
    out.always = true;
    return;
  }
  const auto add_cell = [&](std::uint16_t on, const Location& at) {
    out.areas.push_back({on, at.row, at.row, at.column, at.column});
  };
  const auto add_area = [&](std::uint16_t on, const AreaLocation& at) {
    out.areas.push_back(
        {on, std::min(at.first.row, at.last.row), std::max(at.first.row, at.last.row),
         std::min(at.first.column, at.last.column), std::max(at.first.column, at.last.column)});
  };
  for (const Token& token : *walked) {
    const char* bytes = token.bytes.data();
    switch (token.base()) {
      case ptg::kRef:
        add_cell(sheet, location_of(token));
        break;
      case ptg::kArea:
        add_area(sheet, area_of(token));
        break;
      case ptg::kRef3d:
      case ptg::kArea3d:
        if (const auto on = names.sheets(sheet_reference_of(token)); on && on->first == on->last) {
          if (token.base() == ptg::kRef3d) {
            add_cell(on->first, location_of(token));
          } else {
            add_area(on->first, area_of(token));
          }
        } else {
          out.always = true;
        }
        break;
      case ptg::kName:
        if (const DefinedName* name = names.name(get_u16(bytes + 1))) {
          const auto own =
              translate_to_cell(name->tokens, name->extra, row, static_cast<std::uint8_t>(column));
          if (own) {
            collect(*own, name->extra, sheet, row, column, names, depth + 1, out);
          } else {
            out.always = true;
          }
        }
        break;
      case ptg::kAttr:
        if (static_cast<std::uint8_t>(bytes[1]) & attr::kVolatile) out.always = true;
        break;
      case ptg::kFunc:
      case ptg::kFuncVar: {
        const std::uint16_t number =
            token.base() == ptg::kFunc ? get_u16(bytes + 1) : get_u16(bytes + 2) & 0x7FFF;
        const FunctionInfo* info = function_by_number(number);
        if (!info || info->is_volatile) out.always = true;
        break;
      }
      case ptg::kRefN:
      case ptg::kAreaN:
      case ptg::kExtended:
        out.always = true;
        break;
      default:
        break;
    }
  }
}

}  // namespace

Precedents precedents_of(std::string_view tokens, std::string_view extra, std::uint16_t sheet,
                         std::uint16_t row, std::uint16_t column, const FormulaNames& names) {
  Precedents out;
  collect(tokens, extra, sheet, row, column, names, 0, out);
  return out;
}

}  // namespace xls::formula
