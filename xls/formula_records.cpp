#include "xls/formula_records.h"

#include <algorithm>

#include "xls/biff_string.h"
#include "xls/little_endian.h"

namespace xls {

namespace {

CellRange read_range(FieldReader& in) {
  CellRange range;
  range.first_row = in.u16();
  range.last_row = in.u16();
  range.first_column = in.u8();
  range.last_column = in.u8();
  return range;
}

void put_range(std::string& out, const CellRange& range) {
  put_u16(out, range.first_row);
  put_u16(out, range.last_row);
  put_u8(out, range.first_column);
  put_u8(out, range.last_column);
}

}  // namespace

std::optional<ParsedFormula> ParsedFormula::parse(std::string_view body) {
  if (body.size() < 2) return std::nullopt;
  const std::size_t size = get_u16(body.data());
  if (body.size() - 2 < size) return std::nullopt;
  return ParsedFormula{body.substr(2, size), body.substr(2 + size)};
}

void ParsedFormula::emit(std::string& out) const {
  put_u16(out, static_cast<std::uint16_t>(tokens.size()));
  out.append(tokens);
  out.append(extra);
}

std::optional<FormulaRecord> FormulaRecord::parse_result(std::string_view body) {
  // The result's 8 bytes: a number, or, marked by 0xFFFF in the last two, its type in the
  // first byte and a boolean or error code in the third.
  constexpr std::uint16_t kNotANumber = 0xFFFF;
  constexpr std::size_t kTypeAt = 0, kValueAt = 2, kMarkerAt = 6;
  if (body.size() < CellHeader::kSize + 8) return std::nullopt;
  FormulaRecord record;
  record.cell = CellHeader::parse(body);
  record.result = body.substr(CellHeader::kSize, 8);
  const char* result = record.result.data();
  if (get_u16(result + kMarkerAt) != kNotANumber) {
    record.number = get_f64(result);
  } else {
    record.result_type = static_cast<std::uint8_t>(result[kTypeAt]);
    record.result_value = static_cast<std::uint8_t>(result[kValueAt]);
  }
  return record;
}

std::optional<FormulaRecord> FormulaRecord::parse(std::string_view body) {
  if (body.size() < kFixedSize) return std::nullopt;
  auto record = parse_result(body);
  FieldReader in(body.substr(CellHeader::kSize + 8));
  record->options = in.u16();
  record->reserved = in.u32();
  const auto formula = ParsedFormula::parse(in.rest());
  if (!formula) return std::nullopt;
  record->formula = *formula;
  return record;
}

std::string FormulaRecord::emit() const {
  std::string body;
  body.reserve(kFixedSize + formula.tokens.size() + formula.extra.size());
  FieldWriter out(body, CellHeader::kSize);
  cell.emit(out);
  body.append(result);
  put_u16(body, options);
  put_u32(body, reserved);
  formula.emit(body);
  return body;
}

namespace {

// Result bytes that are no number: the kind, a reserved byte, the value, reserved bytes,
// and 0xFFFF where a number's exponent would be.
std::string marked_result(FormulaRecord::ResultType type, std::uint8_t value) {
  std::string out(8, '\0');
  out[0] = static_cast<char>(type);
  out[2] = static_cast<char>(value);
  out[6] = out[7] = static_cast<char>(0xFF);
  return out;
}

}  // namespace

std::string number_result(double value) {
  std::string out;
  put_f64(out, value);
  return out;
}

std::string text_result(bool empty) {
  return marked_result(empty ? FormulaRecord::ResultType::empty : FormulaRecord::ResultType::string,
                       0);
}

std::string boolean_result(bool value) {
  return marked_result(FormulaRecord::ResultType::boolean, value ? 1 : 0);
}

std::string error_result(std::uint8_t code) {
  return marked_result(FormulaRecord::ResultType::error, code);
}

std::vector<std::string> string_records(std::u16string_view text) {
  // The count and flags open the STRING record; characters that do not fit go on in
  // CONTINUE records, each opening with a flags byte again, never splitting a character.
  const bool compressed = fits_compressed(text);
  const std::size_t width = compressed ? 1 : 2;
  std::vector<std::string> bodies(1);
  put_u16(bodies[0], static_cast<std::uint16_t>(text.size()));
  put_u8(bodies[0], compressed ? 0 : kHighByte);
  while (true) {
    const std::size_t room = (rec::kMaxRecordData - bodies.back().size()) / width;
    const std::size_t take = std::min(room, text.size());
    append_chars(bodies.back(), text.substr(0, take), compressed);
    text.remove_prefix(take);
    if (text.empty()) return bodies;
    bodies.emplace_back(1, static_cast<char>(compressed ? 0 : kHighByte));
  }
}

std::optional<SharedFormulaRecord> SharedFormulaRecord::parse(std::string_view body) {
  if (body.size() < CellRange::kSize + 2) return std::nullopt;
  FieldReader in(body);
  SharedFormulaRecord record;
  record.range = read_range(in);
  record.reserved = in.u8();
  record.uses = in.u8();
  const auto formula = ParsedFormula::parse(in.rest());
  if (!formula) return std::nullopt;
  record.formula = *formula;
  return record;
}

std::string SharedFormulaRecord::emit() const {
  std::string body;
  put_range(body, range);
  put_u8(body, reserved);
  put_u8(body, uses);
  formula.emit(body);
  return body;
}

std::optional<ArrayRecord> ArrayRecord::parse(std::string_view body) {
  if (body.size() < CellRange::kSize + 6) return std::nullopt;
  FieldReader in(body);
  ArrayRecord record;
  record.range = read_range(in);
  record.options = in.u16();
  record.reserved = in.u32();
  const auto formula = ParsedFormula::parse(in.rest());
  if (!formula) return std::nullopt;
  record.formula = *formula;
  return record;
}

std::string ArrayRecord::emit() const {
  std::string body;
  put_range(body, range);
  put_u16(body, options);
  put_u32(body, reserved);
  formula.emit(body);
  return body;
}

std::optional<TableRecord> TableRecord::parse(std::string_view body) {
  if (body.size() < CellRange::kSize) return std::nullopt;
  FieldReader in(body);
  TableRecord record;
  record.range = read_range(in);
  record.rest = in.rest();
  return record;
}

std::string TableRecord::emit() const {
  std::string body;
  put_range(body, range);
  body.append(rest);
  return body;
}

}  // namespace xls
