#include "xls/formula_records.h"

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
