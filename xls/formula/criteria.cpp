#include "xls/formula/criteria.h"

#include <array>
#include <utility>

#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

std::optional<ErrorCode> error_named(std::u16string_view upper) {
  static constexpr std::array<std::pair<std::u16string_view, ErrorCode>, 7> kErrors = {{
      {u"#NULL!", ErrorCode::null},
      {u"#DIV/0!", ErrorCode::div0},
      {u"#VALUE!", ErrorCode::value},
      {u"#REF!", ErrorCode::ref},
      {u"#NAME?", ErrorCode::name},
      {u"#NUM!", ErrorCode::num},
      {u"#N/A", ErrorCode::na},
  }};
  for (const auto& [name, code] : kErrors) {
    if (name == upper) return code;
  }
  return std::nullopt;
}

bool has_wildcards(std::u16string_view text) {
  return text.find_first_of(u"*?~") != std::u16string_view::npos;
}

template <class T>
int order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

bool wildcard_match(std::u16string_view pattern, std::u16string_view text) {
  std::size_t p = 0, t = 0;
  std::size_t star = std::u16string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = t;
      continue;
    }
    if (p < pattern.size()) {
      const bool escaped =
          pattern[p] == u'~' && p + 1 < pattern.size() &&
          (pattern[p + 1] == u'*' || pattern[p + 1] == u'?' || pattern[p + 1] == u'~');
      const char16_t want = escaped ? pattern[p + 1] : pattern[p];
      if ((!escaped && want == u'?') || want == text[t]) {
        p += escaped ? 2 : 1;
        ++t;
        continue;
      }
    }
    if (star == std::u16string_view::npos) return false;
    p = star + 1;
    t = ++resume;
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::optional<int> compare_same_kind(const Value& a, const Value& b) {
  if (a.index() != b.index()) return std::nullopt;
  if (const auto* x = std::get_if<double>(&a)) return order(*x, std::get<double>(b));
  if (const auto* x = std::get_if<bool>(&a)) return order(*x, std::get<bool>(b));
  if (const auto* x = std::get_if<std::u16string>(&a)) {
    return order(upper_case(*x), upper_case(std::get<std::u16string>(b)));
  }
  return std::nullopt;
}

Criterion Criterion::from(const Value& criterion, Context& context) {
  Criterion result;
  const auto* text = std::get_if<std::u16string>(&criterion);
  if (!text) {
    result.operand_ = criterion;
    result.empty_ = std::holds_alternative<Blank>(criterion);
    return result;
  }
  std::u16string_view rest = *text;
  static constexpr std::array<std::pair<std::u16string_view, Op>, 6> kOps = {{
      {u"<=", Op::le},
      {u">=", Op::ge},
      {u"<>", Op::ne},
      {u"<", Op::lt},
      {u">", Op::gt},
      {u"=", Op::eq},
  }};
  bool had_operator = false;
  for (const auto& [spelling, op] : kOps) {
    if (rest.substr(0, spelling.size()) == spelling) {
      result.op_ = op;
      rest.remove_prefix(spelling.size());
      had_operator = true;
      break;
    }
  }
  if (rest.empty()) {
    result.operand_ = Blank{};
    result.empty_ = !had_operator;
    return result;
  }
  const auto upper = upper_case(rest);
  if (const auto number = number_from_text(rest, context)) {
    result.operand_ = *number;
  } else if (upper == u"TRUE" || upper == u"FALSE") {
    result.operand_ = upper == u"TRUE";
  } else if (const auto code = error_named(upper)) {
    result.operand_ = Error{*code};
  } else {
    result.operand_ = upper;
  }
  return result;
}

bool Criterion::matches(const Value& cell, Context& context) const {
  const bool blank = std::holds_alternative<Blank>(cell);
  if (empty_) {
    const auto* text = std::get_if<std::u16string>(&cell);
    return blank || (text && text->empty());
  }
  if (std::holds_alternative<Blank>(operand_)) {
    // "=" alone: blank cells; "<>" alone: every cell that is not blank.
    if (op_ == Op::eq) return blank;
    if (op_ == Op::ne) return !blank;
    return false;
  }
  std::optional<int> order;
  if (std::holds_alternative<double>(operand_)) {
    Value number = cell;
    // A text that reads as the number counts for equality, as the application counts it.
    if (const auto* text = std::get_if<std::u16string>(&cell); text && op_ == Op::eq) {
      if (const auto read = number_from_text(*text, context)) number = *read;
    }
    order = compare_same_kind(number, operand_);
  } else if (const auto* pattern = std::get_if<std::u16string>(&operand_)) {
    if (const auto* text = std::get_if<std::u16string>(&cell)) {
      if ((op_ == Op::eq || op_ == Op::ne) && has_wildcards(*pattern)) {
        const bool same = wildcard_match(*pattern, upper_case(*text));
        return op_ == Op::eq ? same : !same;
      }
      order = compare_same_kind(Value(upper_case(*text)), operand_);
    }
  } else if (std::holds_alternative<Error>(operand_)) {
    if (const auto* error = std::get_if<Error>(&cell)) {
      order = *error == std::get<Error>(operand_) ? 0 : 1;
    }
  } else {
    order = compare_same_kind(cell, operand_);
  }
  switch (op_) {
    case Op::eq:
      return order && *order == 0;
    case Op::ne:
      return !order || *order != 0;
    case Op::lt:
      return order && *order < 0;
    case Op::le:
      return order && *order <= 0;
    case Op::gt:
      return order && *order > 0;
    case Op::ge:
      return order && *order >= 0;
  }
  return false;
}

}  // namespace xls::formula
