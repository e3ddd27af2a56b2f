#pragma once
// Comparing cell values as SUMIF, COUNTIF and the lookups do: criteria such as ">=5", "<>x",
// "ab*" or a plain value, wildcards (* any run, ? one character, ~ takes the next literally),
// texts compared without regard to case.

#include <optional>
#include <string>
#include <string_view>

#include "xls/formula/function_call.h"

namespace xls::formula {

// True when text (upper case) matches pattern (upper case, with wildcards).
bool wildcard_match(std::u16string_view pattern, std::u16string_view text);

// The order of two values of one kind (numbers, texts without case, booleans): negative,
// zero or positive; nullopt when their kinds differ (a lookup skips such cells).
std::optional<int> compare_same_kind(const Value& a, const Value& b);

class Criterion {
 public:
  // The criterion a SUMIF/COUNTIF argument (already a single value) stands for.
  static Criterion from(const Value& criterion, Context& context);
  bool matches(const Value& cell, Context& context) const;

 private:
  enum class Op { eq, ne, lt, le, gt, ge };
  Op op_ = Op::eq;
  Value operand_;       // number, upper-case text, boolean, error, or Blank for "=" / "<>" alone
  bool empty_ = false;  // the criterion "" (blank cells and empty texts)
};

}  // namespace xls::formula
