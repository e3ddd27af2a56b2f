#pragma once
// A workbook for calling built-in functions without one: cells in a map, sheets by name, a
// fixed clock and random number. Cells are written "B3" style; references "A1:C5" or
// "Other!A1".

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "xls/formula/function_call.h"

namespace xls_test {

using xls::formula::Value;

class FakeContext : public xls::formula::Context {
 public:
  FakeContext();

  void put(const std::string& cell, Value value, std::uint16_t sheet = 0);
  static xls::formula::Reference area(const std::string& text, std::uint16_t sheet = 0);

  Value cell(std::uint16_t sheet, std::uint16_t row, std::uint16_t column) override;
  std::uint16_t sheet() const override { return 0; }
  std::uint16_t row() const override { return row_; }
  std::uint16_t column() const override { return column_; }
  bool date1904() const override { return date1904_; }
  double now() const override { return 46000.75; }  // 9 December 2025, 18:00
  double random() override { return 0.25; }
  std::optional<std::uint16_t> sheet_named(std::u16string_view name) const override;
  std::u16string sheet_name(std::uint16_t sheet) const override;

  std::uint16_t row_ = 9, column_ = 7;  // the formula sits in H10
  bool date1904_ = false;

 private:
  std::map<std::tuple<std::uint16_t, std::uint16_t, std::uint16_t>, Value> cells_;
};

// The function's number in the file format's table, by its US-English name.
std::uint16_t function_number(const std::string& name);
// The names function_number knows.
std::vector<std::string> function_names();

// Calls built-in function `name` (or add-in `name` when it is one) with the arguments.
Value call(FakeContext& context, const std::string& name, const std::vector<Value>& arguments);

// A readable form of a value for test messages.
std::string describe(const Value& value);

// True when both are the same kind and, for numbers, agree to 15 significant digits.
bool same_value(const Value& actual, const Value& expected);

}  // namespace xls_test
