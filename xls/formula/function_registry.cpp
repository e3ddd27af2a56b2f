// The built-in functions the engine computes, by their number in the file format's table,
// and the add-in functions by name; every family lists its own.

#include <array>

#include "xls/formula/function_call.h"
#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

// The file format numbers its built-in functions below 368.
constexpr std::size_t kNumbers = 368;

const std::array<Function, kNumbers>& by_number() {
  static const auto table = [] {
    std::array<Function, kNumbers> functions{};
    for (const auto family : {aggregate_functions, logic_functions, math_functions,
                              lookup_functions, text_functions, date_functions}) {
      for (const auto& entry : family()) functions[entry.number] = entry.function;
    }
    return functions;
  }();
  return table;
}

}  // namespace

Function function_implementation(std::uint16_t number) {
  return number < kNumbers ? by_number()[number] : nullptr;
}

Function add_in_implementation(std::u16string_view upper_case_name) {
  for (const auto& entry : date_add_in_functions()) {
    if (entry.name == upper_case_name) return entry.function;
  }
  return nullptr;
}

}  // namespace xls::formula
