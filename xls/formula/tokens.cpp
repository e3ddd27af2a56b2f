#include "xls/formula/tokens.h"

#include "xls/little_endian.h"

namespace xls::formula {

namespace {

constexpr std::uint16_t kColumnRelative = 0x4000;
constexpr std::uint16_t kRowRelative = 0x8000;
constexpr std::uint16_t kColumnBits = 0x00FF;

// Sub-ids of kExtended tokens whose extra data has no documented size: formulas holding
// them (natural-language labels over several cells, a feature long gone) are not walked.
bool extended_with_extra(std::uint8_t sub_id) {
  return sub_id == 0x0B || sub_id == 0x0D || sub_id == 0x0F;
}

// The size of the token at `at`, its id included; 0 when unknown or cut short.
std::size_t token_size(std::string_view tokens, std::size_t at) {
  const std::size_t left = tokens.size() - at;
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(tokens[at + k]); };
  const std::uint8_t id = byte(0);
  std::size_t size = 0;
  if (id >= ptg::kAdd && id <= ptg::kMissArg) return 1;
  switch (id < 0x20 ? id : static_cast<std::uint8_t>((id & 0x1F) | 0x20)) {
    case ptg::kExp:
    case ptg::kTbl:
      size = 5;
      break;
    case ptg::kStr:
      if (left < 3) return 0;
      size = 3 + static_cast<std::size_t>(byte(1)) * ((byte(2) & 0x01) ? 2 : 1);
      break;
    case ptg::kExtended:
      if (left < 2 || extended_with_extra(byte(1))) return 0;
      size = 6;
      break;
    case ptg::kAttr:
      if (left < 4) return 0;
      size = 4;
      if (byte(1) & attr::kChoose)
        size += 2 * (static_cast<std::size_t>(get_u16(&tokens[at + 2])) + 1);
      break;
    case ptg::kErr:
    case ptg::kBool:
      size = 2;
      break;
    case ptg::kInt:
    case ptg::kFunc:
    case ptg::kMemFunc:
      size = 3;
      break;
    case ptg::kNum:
    case ptg::kArray:
      size = id == ptg::kNum ? 9 : 8;
      break;
    case ptg::kFuncVar:
      size = 4;
      break;
    case ptg::kName:
    case ptg::kRef:
    case ptg::kRefErr:
    case ptg::kRefN:
      size = 5;
      break;
    case ptg::kArea:
    case ptg::kAreaErr:
    case ptg::kAreaN:
      size = 9;
      break;
    case ptg::kMemArea:
    case ptg::kMemErr:
    case ptg::kMemNoMem:
    case ptg::kNameX:
    case ptg::kRef3d:
    case ptg::kRefErr3d:
      size = 7;
      break;
    case ptg::kArea3d:
    case ptg::kAreaErr3d:
      size = 11;
      break;
    default:
      return 0;
  }
  return size <= left ? size : 0;
}

// The size of an array constant's values: columns and rows less one, then each value with
// its type byte.
std::size_t array_constant_size(std::string_view extra) {
  if (extra.size() < 3) return 0;
  const std::size_t count = (static_cast<std::uint8_t>(extra[0]) + 1u) * (get_u16(&extra[1]) + 1u);
  std::size_t at = 3;
  for (std::size_t k = 0; k < count; ++k) {
    if (at >= extra.size()) return 0;
    const auto type = static_cast<std::uint8_t>(extra[at++]);
    std::size_t size = 8;
    if (type == 0x02) {  // a string: its length, whether its characters take two bytes, them
      if (extra.size() - at < 3) return 0;
      size = 3 + static_cast<std::size_t>(get_u16(&extra[at])) * ((extra[at + 2] & 0x01) ? 2 : 1);
    } else if (type != 0x00 && type != 0x01 && type != 0x04 && type != 0x10) {
      return 0;
    }
    if (extra.size() - at < size) return 0;
    at += size;
  }
  return at;
}

// The size of a memory area's list: a count, then that many areas of 8 bytes.
std::size_t memory_area_size(std::string_view extra) {
  if (extra.size() < 2) return 0;
  const std::size_t size = 2 + 8 * static_cast<std::size_t>(get_u16(extra.data()));
  return size <= extra.size() ? size : 0;
}

Location read_location(const char* row_at, const char* column_at) {
  const std::uint16_t column = get_u16(column_at);
  return {get_u16(row_at), static_cast<std::uint8_t>(column & kColumnBits),
          (column & kRowRelative) != 0, (column & kColumnRelative) != 0};
}

std::uint16_t column_field(const Location& location) {
  return static_cast<std::uint16_t>(location.column | (location.row_relative ? kRowRelative : 0) |
                                    (location.column_relative ? kColumnRelative : 0));
}

bool is_3d(std::uint8_t base) {
  return base == ptg::kRef3d || base == ptg::kArea3d || base == ptg::kRefErr3d ||
         base == ptg::kAreaErr3d || base == ptg::kNameX;
}

bool is_area(std::uint8_t base) {
  return base == ptg::kArea || base == ptg::kAreaN || base == ptg::kAreaErr ||
         base == ptg::kArea3d || base == ptg::kAreaErr3d;
}

}  // namespace

std::optional<std::vector<Token>> walk(std::string_view tokens, std::string_view extra) {
  std::vector<Token> out;
  std::size_t extra_at = 0;
  for (std::size_t at = 0; at < tokens.size();) {
    const std::size_t size = token_size(tokens, at);
    if (size == 0) return std::nullopt;
    Token token{static_cast<std::uint8_t>(tokens[at]), tokens.substr(at, size), {}, at};
    const std::uint8_t base = token.base();
    if (base == ptg::kArray || base == ptg::kMemArea) {
      const std::string_view rest = extra.substr(extra_at);
      const std::size_t extra_size =
          base == ptg::kArray ? array_constant_size(rest) : memory_area_size(rest);
      if (extra_size == 0) return std::nullopt;
      token.extra = rest.substr(0, extra_size);
      extra_at += extra_size;
    }
    out.push_back(token);
    at += size;
  }
  return out;
}

Location relative_to(Location stored, std::uint16_t row, std::uint8_t column) {
  if (stored.row_relative) stored.row = static_cast<std::uint16_t>(stored.row + row);
  if (stored.column_relative) stored.column = static_cast<std::uint8_t>(stored.column + column);
  return stored;
}

Location location_of(const Token& token) {
  const char* fields = token.bytes.data() + (is_3d(token.base()) ? 3 : 1);
  return read_location(fields, fields + 2);
}

AreaLocation area_of(const Token& token) {
  const char* fields = token.bytes.data() + (is_3d(token.base()) ? 3 : 1);
  return {read_location(fields, fields + 4), read_location(fields + 2, fields + 6)};
}

std::uint16_t sheet_reference_of(const Token& token) {
  return get_u16(token.bytes.data() + 1);
}

void put_location(std::string& out, const Location& location) {
  put_u16(out, location.row);
  put_u16(out, column_field(location));
}

void put_area(std::string& out, const AreaLocation& area) {
  put_u16(out, area.first.row);
  put_u16(out, area.last.row);
  put_u16(out, column_field(area.first));
  put_u16(out, column_field(area.last));
}

std::optional<std::string> translate_to_cell(std::string_view tokens, std::string_view extra,
                                             std::uint16_t row, std::uint8_t column) {
  const auto walked = walk(tokens, extra);
  if (!walked) return std::nullopt;
  std::string out;
  out.reserve(tokens.size());
  for (const Token& token : *walked) {
    const std::uint8_t base = token.base();
    const bool relative_kind =
        base == ptg::kRefN || base == ptg::kAreaN || base == ptg::kRef3d || base == ptg::kArea3d;
    if (!relative_kind) {
      out.append(token.bytes);
      continue;
    }
    // kRefN and kAreaN become kRef and kArea of the same class.
    const std::uint8_t id = base == ptg::kRefN || base == ptg::kAreaN
                                ? static_cast<std::uint8_t>(token.id - 0x08)
                                : token.id;
    out.push_back(static_cast<char>(id));
    if (is_3d(base)) put_u16(out, sheet_reference_of(token));
    if (is_area(base)) {
      const AreaLocation area = area_of(token);
      put_area(out, {relative_to(area.first, row, column), relative_to(area.last, row, column)});
    } else {
      put_location(out, relative_to(location_of(token), row, column));
    }
  }
  return out;
}

}  // namespace xls::formula
