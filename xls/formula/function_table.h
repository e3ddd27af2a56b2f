#pragma once
// The built-in functions of the file format: each by the number its function tokens store,
// its US-English name, how many arguments it takes, the operand class it returns and the
// class each argument expects (which decides whether a reference is passed as a reference,
// as one value or as an array). Add-in functions (EDATE, EOMONTH, ...) have no number: a
// formula calls them through function 255 with the name as its first operand.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace xls::formula {

// Operand classes as function tables write them: 'R' reference, 'V' value, 'A' array.
struct FunctionInfo {
  std::uint16_t number = 0;
  std::string_view name;  // upper case, as the application shows it in US English
  std::uint8_t min_arguments = 0;
  std::uint8_t max_arguments = 0;
  char return_class = 'V';
  // The class of each argument; the last one stands for every argument after it.
  std::string_view argument_classes;
  bool is_volatile = false;  // recomputed on every change (NOW, RAND, OFFSET, ...)

  bool fixed_count() const { return min_arguments == max_arguments; }
  char argument_class(std::size_t index) const {
    if (argument_classes.empty()) return 'V';
    return index < argument_classes.size() ? argument_classes[index] : argument_classes.back();
  }
};

// The number of the function that calls an add-in or macro function by name.
inline constexpr std::uint16_t kExternalFunction = 255;
// The most arguments a function call can hold in this format.
inline constexpr std::size_t kMaxArguments = 30;

// Every built-in function, by number.
std::span<const FunctionInfo> builtin_functions();
const FunctionInfo* function_by_number(std::uint16_t number);
// Compared without case.
const FunctionInfo* function_by_name(std::string_view name);
// An add-in function by name (compared without case): its upper-case name and argument
// counts; the number field is kExternalFunction.
const FunctionInfo* add_in_by_name(std::string_view name);

}  // namespace xls::formula
