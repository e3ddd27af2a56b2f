#pragma once
// What a formula computes with: the values a cell or an operator yields (blank, number, text,
// boolean, error), references to cells that a function may read or pass on (ROW, OFFSET,
// INDEX), and arrays (array constants, results of array operations).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace xls::formula {

// Error codes as FORMULA records and error cells store them.
enum class ErrorCode : std::uint8_t {
  null = 0x00,   // #NULL!
  div0 = 0x07,   // #DIV/0!
  value = 0x0F,  // #VALUE!
  ref = 0x17,    // #REF!
  name = 0x1D,   // #NAME?
  num = 0x24,    // #NUM!
  na = 0x2A,     // #N/A
};

struct Blank {
  bool operator==(const Blank&) const = default;
};

struct Error {
  ErrorCode code = ErrorCode::value;
  bool operator==(const Error&) const = default;
};

// A rectangle of cells on one sheet (sheet index in the workbook, rows and columns from 0,
// both ends included). Functions read its cells through the Context.
struct Reference {
  std::uint16_t sheet = 0;
  std::uint16_t first_row = 0, last_row = 0;
  std::uint16_t first_column = 0, last_column = 0;

  std::uint32_t rows() const { return last_row - first_row + 1u; }
  std::uint32_t columns() const { return last_column - first_column + 1u; }
  bool operator==(const Reference&) const = default;
};

struct Array;

// A value: the first five are what a cell holds; a Reference or an Array only flows between
// tokens and into functions.
using Value = std::variant<Blank, double, std::u16string, bool, Error, Reference,
                           std::shared_ptr<const Array>>;

// Rows of values, row by row; its cells are never references or arrays.
struct Array {
  std::uint32_t rows = 0, columns = 0;
  std::vector<Value> cells;

  const Value& at(std::uint32_t row, std::uint32_t column) const {
    return cells[static_cast<std::size_t>(row) * columns + column];
  }
};

}  // namespace xls::formula
