#pragma once
// The records that hold formulas in a sheet's cell table: FORMULA (a cell's formula and its
// stored result), SHRFMLA (a formula shared by a range of cells), ARRAY (an array formula
// over a range) and TABLE (a data table). Each is a struct of named fields with its own
// parse() and emit() (the body, without the record's header); `kId` names its record.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xls/cell_records.h"
#include "xls/record_ids.h"

namespace xls {

// What every formula ends with: the size of its token array, the tokens, then the extra
// data some tokens keep outside the array (formula/tokens.h).
struct ParsedFormula {
  std::string_view tokens;
  std::string_view extra;

  // Empty when the body is shorter than its token array says.
  static std::optional<ParsedFormula> parse(std::string_view body);
  void emit(std::string& out) const;
};

// A range of cells as formula records name it: rows and columns from 0, both ends included.
struct CellRange {
  static constexpr std::size_t kSize = 6;

  std::uint16_t first_row = 0;
  std::uint16_t last_row = 0;
  std::uint8_t first_column = 0;
  std::uint8_t last_column = 0;

  bool contains(std::uint16_t row, std::uint16_t column) const {
    return row >= first_row && row <= last_row && column >= first_column && column <= last_column;
  }
  bool single_cell() const { return first_row == last_row && first_column == last_column; }
  bool operator==(const CellRange&) const = default;
};

// FORMULA: the cell, its formula's stored result, options, and the formula.
struct FormulaRecord {
  static constexpr std::uint16_t kId = rec::kFormula;
  static constexpr std::size_t kFixedSize = 22;  // up to the formula

  // What a result that is not a number is; a string result is in the STRING record after.
  enum class ResultType : std::uint8_t { string = 0, boolean = 1, error = 2, empty = 3 };

  // Bits of `options`.
  static constexpr std::uint16_t kAlwaysCalc = 0x0001;  // recomputed on every change
  static constexpr std::uint16_t kCalcOnLoad = 0x0002;  // computed when the file is opened
  static constexpr std::uint16_t kShared = 0x0008;      // part of a shared formula

  CellHeader cell;
  std::optional<double> number;   // the result when it is a number
  std::uint8_t result_type = 0;   // otherwise: a ResultType
  std::uint8_t result_value = 0;  // the boolean, or the error code
  std::string_view result;        // the result's 8 bytes as stored
  std::uint16_t options = 0;
  std::uint32_t reserved = 0;
  ParsedFormula formula;

  // Empty for a body too short for its fields or its formula.
  static std::optional<FormulaRecord> parse(std::string_view body);
  // The cell and its result only, for readers of values: a body needs just those 14 bytes.
  static std::optional<FormulaRecord> parse_result(std::string_view body);
  std::string emit() const;
};

// A formula's result as FORMULA stores it, in 8 bytes: a number, or a marker with the kind
// of result and the boolean or error code. A text result's characters follow the FORMULA
// record in a STRING record (string_records()); an empty text needs none.
std::string number_result(double value);
std::string text_result(bool empty);
std::string boolean_result(bool value);
std::string error_result(std::uint8_t code);
// The bodies of the STRING record, then of the CONTINUE records, that hold a text result.
std::vector<std::string> string_records(std::u16string_view text);

// SHRFMLA: a formula that the cells of `range` whose FORMULA records point here (a single
// kExp token naming the range's first cell) share; its relative references are offsets.
struct SharedFormulaRecord {
  static constexpr std::uint16_t kId = rec::kShrFmla;

  CellRange range;
  std::uint8_t reserved = 0;
  std::uint8_t uses = 0;  // how many cells use it
  ParsedFormula formula;

  static std::optional<SharedFormulaRecord> parse(std::string_view body);
  std::string emit() const;
};

// ARRAY: an array formula whose result fills `range`.
struct ArrayRecord {
  static constexpr std::uint16_t kId = rec::kArray;

  CellRange range;
  std::uint16_t options = 0;
  std::uint32_t reserved = 0;
  ParsedFormula formula;

  static std::optional<ArrayRecord> parse(std::string_view body);
  std::string emit() const;
};

// TABLE: a data table whose results fill `range`, computed from input cells. Only the range
// is read; the rest is kept as it is.
struct TableRecord {
  static constexpr std::uint16_t kId = rec::kTable;

  CellRange range;
  std::string_view rest;

  static std::optional<TableRecord> parse(std::string_view body);
  std::string emit() const;
};

}  // namespace xls
