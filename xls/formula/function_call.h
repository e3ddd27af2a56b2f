#pragma once
// How the evaluator calls a built-in function: its arguments as the tokens left them (a
// reference stays a reference, so ROW, OFFSET or SUM over a range can see it) and a context
// for reading cells and the workbook's settings. Each function family registers its
// implementations by the function's number in the file format's table of built-in functions.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "xls/formula/value.h"

namespace xls::formula {

class Context {
 public:
  virtual ~Context() = default;
  // The value a cell holds now (its formula computed first when it has one): never a
  // Reference or an Array.
  virtual Value cell(std::uint16_t sheet, std::uint16_t row, std::uint16_t column) = 0;
  // The cell whose formula is being computed.
  virtual std::uint16_t sheet() const = 0;
  virtual std::uint16_t row() const = 0;
  virtual std::uint16_t column() const = 0;
  // True when dates count from 1904 (the workbook's DATEMODE).
  virtual bool date1904() const = 0;
  // The local date and time now, as a serial number in the 1900 system.
  virtual double now() const = 0;
  // A number in [0, 1) for RAND.
  virtual double random() = 0;
  // The sheet index of a sheet name (INDIRECT), when the workbook has it.
  virtual std::optional<std::uint16_t> sheet_named(std::u16string_view name) const = 0;
  // The name of a sheet (ADDRESS, INDIRECT's own sheet).
  virtual std::u16string sheet_name(std::uint16_t sheet) const = 0;
};

using Function = Value (*)(std::span<const Value> arguments, Context& context);

// The implementation of built-in function `number`, or null when the engine does not compute
// it (the formula then keeps its stored result).
Function function_implementation(std::uint16_t number);
// The implementation of an add-in function the file calls by name (EDATE, EOMONTH), by its
// name in upper case, or null.
Function add_in_implementation(std::u16string_view upper_case_name);

}  // namespace xls::formula
