#pragma once
// What the built-in functions share: turning an argument into one value (a reference in a
// value position reads the cell it meets), the application's conversions of a value to a
// number, a text or a boolean, visiting every cell of a reference or array, and the table
// each family gives the registry.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "xls/formula/function_call.h"

namespace xls::formula {

// A converted value, or the error that ends the function.
template <class T>
struct Got {
  T value{};
  std::optional<Error> error;

  Got(T v) : value(std::move(v)) {}  // NOLINT: implicit on purpose, like optional
  Got(Error e) : error(e) {}         // NOLINT
  bool ok() const { return !error.has_value(); }
};

// One built-in function of a family: its number in the file format's table.
struct NumberedFunction {
  std::uint16_t number;
  Function function;
};

// An add-in function the file calls by name.
struct NamedFunction {
  std::u16string_view name;
  Function function;
};

// F behind a check that the call has at least min arguments (a damaged file may give fewer):
// fewer give #VALUE!, so each function may read its first min arguments directly.
template <Function F, std::size_t min>
Value at_least(std::span<const Value> arguments, Context& context) {
  if (arguments.size() < min) return Error{ErrorCode::value};
  return F(arguments, context);
}

// The families' tables, each in its own file.
std::span<const NumberedFunction> aggregate_functions();
std::span<const NumberedFunction> logic_functions();
std::span<const NumberedFunction> math_functions();
std::span<const NumberedFunction> lookup_functions();
std::span<const NumberedFunction> text_functions();
std::span<const NumberedFunction> date_functions();
std::span<const NamedFunction> date_add_in_functions();

inline Value error_value(ErrorCode code) {
  return Error{code};
}
inline bool is_error(const Value& value) {
  return std::holds_alternative<Error>(value);
}

// One value for a value position: a single cell's value; a reference to more cells meets the
// formula's row (a column of cells) or column (a row of cells), else #VALUE!; an array gives
// its first value. Anything else as it is.
Value single_value(const Value& argument, Context& context);

// The argument at index, or Blank when the call has fewer.
const Value& argument_or_blank(std::span<const Value> arguments, std::size_t index);
// True when the call has the argument and it was not left out.
bool has_argument(std::span<const Value> arguments, std::size_t index);

// The application's conversions of one value (read through single_value first).
// Number: blank 0, booleans 1 and 0, a text that reads as a typed number, date or time;
// another text #VALUE!.
Got<double> number_of(const Value& argument, Context& context);
// Text: numbers as General shows them (up to 15 significant digits), TRUE/FALSE, blank "".
Got<std::u16string> text_of(const Value& argument, Context& context);
// Boolean: numbers non-zero, the texts TRUE/FALSE in any case, blank FALSE.
Got<bool> boolean_of(const Value& argument, Context& context);
// An integer argument: the number truncated toward zero.
Got<double> integer_of(const Value& argument, Context& context);

// A number as a concatenation writes it: up to 15 significant digits, the exponent form from
// 1E+15 up and below 1E-9.
std::u16string general_text(double number);

// A text read as a number the way a typed entry is (VALUE, arithmetic on texts): numbers,
// percentages, currency, fractions, dates (in the workbook's date system; without a year in
// the current one) and times.
std::optional<double> number_from_text(std::u16string_view text, Context& context);

// Calls visit for each value of a reference (cell by cell, row by row) or an array; a single
// value is visited once. visit returns false to stop.
void for_each_value(const Value& argument, Context& context,
                    const std::function<bool(const Value&)>& visit);

// Shape of a reference or array (a single value is 1 by 1) and its value at a position.
struct Grid {
  std::uint32_t rows = 1, columns = 1;
  std::function<Value(std::uint32_t, std::uint32_t)> at;
};
Grid grid_of(const Value& argument, Context& context);

// Upper case of the letters the application folds (ASCII and Latin-1), for comparisons.
std::u16string upper_case(std::u16string_view text);

}  // namespace xls::formula
