// Logic and information: IF, AND, OR, NOT, TRUE, FALSE, the IS functions, NA and ERROR.TYPE.

#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

// IF(condition, [then], [else]): a left-out branch gives 0, an absent else FALSE. The chosen
// branch is returned as it came (a reference stays one).
Value if_(std::span<const Value> arguments, Context& context) {
  const auto condition = boolean_of(arguments[0], context);
  if (!condition.ok()) return *condition.error;
  const std::size_t branch = condition.value ? 1 : 2;
  if (branch >= arguments.size()) return branch == 1;
  if (std::holds_alternative<Blank>(arguments[branch])) return 0.0;
  return arguments[branch];
}

// AND and OR: booleans and numbers of references and arrays (texts and blanks left out),
// typed arguments converted; none at all is #VALUE!.
Value all_or_any(std::span<const Value> arguments, Context& context, bool all) {
  bool result = all, seen = false;
  std::optional<Error> error;
  for (const auto& argument : arguments) {
    if (std::holds_alternative<Reference>(argument) ||
        std::holds_alternative<std::shared_ptr<const Array>>(argument)) {
      for_each_value(argument, context, [&](const Value& cell) {
        if (const auto* e = std::get_if<Error>(&cell)) error = *e;
        if (std::holds_alternative<double>(cell) || std::holds_alternative<bool>(cell)) {
          const bool truth = std::holds_alternative<bool>(cell) ? std::get<bool>(cell)
                                                                : std::get<double>(cell) != 0;
          result = all ? result && truth : result || truth;
          seen = true;
        }
        return !error;
      });
    } else if (!std::holds_alternative<Blank>(argument)) {
      const auto truth = boolean_of(argument, context);
      if (!truth.ok()) error = truth.error;
      result = all ? result && truth.value : result || truth.value;
      seen = true;
    }
    if (error) return *error;
  }
  if (!seen) return error_value(ErrorCode::value);
  return result;
}

Value and_(std::span<const Value> a, Context& c) {
  return all_or_any(a, c, true);
}
Value or_(std::span<const Value> a, Context& c) {
  return all_or_any(a, c, false);
}

Value not_(std::span<const Value> arguments, Context& context) {
  const auto truth = boolean_of(arguments[0], context);
  if (!truth.ok()) return *truth.error;
  return !truth.value;
}

Value true_(std::span<const Value>, Context&) {
  return true;
}
Value false_(std::span<const Value>, Context&) {
  return false;
}
Value na(std::span<const Value>, Context&) {
  return error_value(ErrorCode::na);
}

// The IS functions look at their argument's one value without converting it.
template <bool (*Test)(const Value&)>
Value is(std::span<const Value> arguments, Context& context) {
  return Test(single_value(arguments[0], context));
}

bool any_error(const Value& v) {
  return std::holds_alternative<Error>(v);
}
bool error_but_na(const Value& v) {
  return any_error(v) && std::get<Error>(v).code != ErrorCode::na;
}
bool error_na(const Value& v) {
  return any_error(v) && std::get<Error>(v).code == ErrorCode::na;
}
bool number(const Value& v) {
  return std::holds_alternative<double>(v);
}
bool text(const Value& v) {
  return std::holds_alternative<std::u16string>(v);
}
bool blank(const Value& v) {
  return std::holds_alternative<Blank>(v);
}
bool logical(const Value& v) {
  return std::holds_alternative<bool>(v);
}

// ERROR.TYPE: 1 #NULL!, 2 #DIV/0!, 3 #VALUE!, 4 #REF!, 5 #NAME?, 6 #NUM!, 7 #N/A; #N/A for
// anything that is no error.
Value error_type(std::span<const Value> arguments, Context& context) {
  const Value value = single_value(arguments[0], context);
  const auto* error = std::get_if<Error>(&value);
  if (!error) return error_value(ErrorCode::na);
  switch (error->code) {
    case ErrorCode::null:
      return 1.0;
    case ErrorCode::div0:
      return 2.0;
    case ErrorCode::value:
      return 3.0;
    case ErrorCode::ref:
      return 4.0;
    case ErrorCode::name:
      return 5.0;
    case ErrorCode::num:
      return 6.0;
    case ErrorCode::na:
      return 7.0;
  }
  return error_value(ErrorCode::na);
}

constexpr NumberedFunction kFunctions[] = {
    {1, at_least<if_, 1>},
    {2, at_least<is<error_na>, 1>},
    {3, at_least<is<any_error>, 1>},
    {10, na},
    {34, true_},
    {35, false_},
    {36, and_},
    {37, or_},
    {38, at_least<not_, 1>},
    {126, at_least<is<error_but_na>, 1>},
    {127, at_least<is<text>, 1>},
    {128, at_least<is<number>, 1>},
    {129, at_least<is<blank>, 1>},
    {198, at_least<is<logical>, 1>},
    {261, at_least<error_type, 1>},
};

}  // namespace

std::span<const NumberedFunction> logic_functions() {
  return kFunctions;
}

}  // namespace xls::formula
