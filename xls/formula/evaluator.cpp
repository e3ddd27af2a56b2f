#include "xls/formula/evaluator.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "xls/formula/function_support.h"
#include "xls/formula/function_table.h"
#include "xls/formula/operators.h"
#include "xls/formula/tokens.h"
#include "xls/little_endian.h"

namespace xls::formula {

namespace {

constexpr std::uint16_t kSumFunction = 4;
constexpr std::uint16_t kAddInFunction = 255;
constexpr int kMaxNameDepth = 32;

// What the stack holds between tokens: a value, or the name of an add-in function that the
// function-255 call after it calls.
struct Operand {
  Value value;
  std::optional<std::u16string> add_in;
};

double get_double(const char* at) {
  double value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// A BIFF8 string in the token or array constant: its length, a flags byte, its characters.
std::u16string read_string(std::string_view bytes, std::size_t count, bool wide) {
  std::u16string text;
  text.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    text += wide ? static_cast<char16_t>(get_u16(bytes.data() + 2 * k))
                 : static_cast<char16_t>(static_cast<std::uint8_t>(bytes[k]));
  }
  return text;
}

Value array_constant(std::string_view extra) {
  auto array = std::make_shared<Array>();
  array->columns = static_cast<std::uint8_t>(extra[0]) + 1u;
  array->rows = get_u16(extra.data() + 1) + 1u;
  std::size_t at = 3;
  for (std::uint32_t k = 0; k < array->rows * array->columns; ++k) {
    const auto type = static_cast<std::uint8_t>(extra[at++]);
    switch (type) {
      case 0x01:
        array->cells.emplace_back(get_double(extra.data() + at));
        at += 8;
        break;
      case 0x02: {
        const std::uint16_t count = get_u16(extra.data() + at);
        const bool wide = extra[at + 2] & 0x01;
        array->cells.emplace_back(read_string(extra.substr(at + 3), count, wide));
        at += 3 + count * (wide ? 2u : 1u);
        break;
      }
      case 0x04:
        array->cells.emplace_back(extra[at] != 0);
        at += 8;
        break;
      case 0x10:
        array->cells.emplace_back(Error{static_cast<ErrorCode>(extra[at])});
        at += 8;
        break;
      default:
        array->cells.emplace_back(Blank{});
        at += 8;
        break;
    }
  }
  return std::shared_ptr<const Array>(std::move(array));
}

class Evaluation {
 public:
  Evaluation(Context& context, const FormulaNames& names, bool array_formula, int depth)
      : context_(context), names_(names), array_formula_(array_formula), depth_(depth) {}

  Value run(std::string_view tokens, std::string_view extra) {
    const auto walked = walk(tokens, extra);
    if (!walked || walked->empty()) throw NotComputable("the formula's tokens cannot be read");
    for (const Token& token : *walked) step(token);
    if (stack_.size() != 1 || stack_.back().add_in)
      throw NotComputable("the formula's tokens do not make one value");
    return std::move(stack_.back().value);
  }

 private:
  Value pop() {
    if (stack_.empty() || stack_.back().add_in)
      throw NotComputable("an operator lacks its operand");
    Value value = std::move(stack_.back().value);
    stack_.pop_back();
    return value;
  }
  void push(Value value) { stack_.push_back({std::move(value), std::nullopt}); }

  Value cell_value(std::uint16_t sheet, std::uint32_t row, std::uint32_t column) {
    return context_.cell(sheet, static_cast<std::uint16_t>(row),
                         static_cast<std::uint16_t>(column));
  }

  // A range in value position: the cell in the formula's row (a column of cells) or column
  // (a row of cells).
  Value intersect(const Reference& ref) {
    if (ref.rows() == 1 && ref.columns() == 1)
      return cell_value(ref.sheet, ref.first_row, ref.first_column);
    const std::uint16_t row = context_.row(), column = context_.column();
    if (ref.columns() == 1 && row >= ref.first_row && row <= ref.last_row)
      return cell_value(ref.sheet, row, ref.first_column);
    if (ref.rows() == 1 && column >= ref.first_column && column <= ref.last_column)
      return cell_value(ref.sheet, ref.first_row, column);
    return Error{ErrorCode::value};
  }

  Value to_array(const Reference& ref) {
    if (ref.rows() == 1 && ref.columns() == 1)
      return cell_value(ref.sheet, ref.first_row, ref.first_column);
    auto array = std::make_shared<Array>();
    array->rows = ref.rows();
    array->columns = ref.columns();
    array->cells.reserve(static_cast<std::size_t>(array->rows) * array->columns);
    for (std::uint32_t r = ref.first_row; r <= ref.last_row; ++r) {
      for (std::uint32_t c = ref.first_column; c <= ref.last_column; ++c)
        array->cells.push_back(cell_value(ref.sheet, r, c));
    }
    return std::shared_ptr<const Array>(std::move(array));
  }

  // A token's result in the class the token asks for.
  Value in_class(Value value, OperandClass operand_class) {
    const auto* ref = std::get_if<Reference>(&value);
    if (!ref || operand_class == OperandClass::reference) return value;
    if (operand_class == OperandClass::array || array_formula_) return to_array(*ref);
    return intersect(*ref);
  }

  // An operand of an operator: one value or an array of them.
  Value operand(Value value) {
    if (std::holds_alternative<Reference>(value))
      return in_class(std::move(value), OperandClass::value);
    return value;
  }

  template <class Apply>
  Value elementwise(const Value& a, const Value& b, Apply apply) {
    const auto* x = std::get_if<std::shared_ptr<const Array>>(&a);
    const auto* y = std::get_if<std::shared_ptr<const Array>>(&b);
    if (!x && !y) return apply(a, b);
    const auto rows = std::max(x ? (*x)->rows : 1u, y ? (*y)->rows : 1u);
    const auto columns = std::max(x ? (*x)->columns : 1u, y ? (*y)->columns : 1u);
    // A single row or column stretches over the other's size; past its end, #N/A.
    const auto at = [](const Value& v, const std::shared_ptr<const Array>* array, std::uint32_t r,
                       std::uint32_t c) -> Value {
      if (!array) return v;
      const Array& values = **array;
      const std::uint32_t row = values.rows == 1 ? 0 : r;
      const std::uint32_t column = values.columns == 1 ? 0 : c;
      if (row >= values.rows || column >= values.columns) return Error{ErrorCode::na};
      return values.at(row, column);
    };
    auto result = std::make_shared<Array>();
    result->rows = rows;
    result->columns = columns;
    for (std::uint32_t r = 0; r < rows; ++r) {
      for (std::uint32_t c = 0; c < columns; ++c)
        result->cells.push_back(apply(at(a, x, r, c), at(b, y, r, c)));
    }
    return std::shared_ptr<const Array>(std::move(result));
  }

  void reference_operator(std::uint8_t op) {
    const Value b = pop(), a = pop();
    const auto* x = std::get_if<Reference>(&a);
    const auto* y = std::get_if<Reference>(&b);
    if (op == ptg::kUnion) throw NotComputable("a union of references");
    if (!x || !y) {
      if (const auto* error = std::get_if<Error>(&a)) return push(*error);
      if (const auto* error = std::get_if<Error>(&b)) return push(*error);
      return push(Error{ErrorCode::value});
    }
    if (x->sheet != y->sheet) return push(Error{ErrorCode::value});
    Reference out{x->sheet};
    if (op == ptg::kRange) {
      out.first_row = std::min(x->first_row, y->first_row);
      out.last_row = std::max(x->last_row, y->last_row);
      out.first_column = std::min(x->first_column, y->first_column);
      out.last_column = std::max(x->last_column, y->last_column);
      return push(out);
    }
    out.first_row = std::max(x->first_row, y->first_row);
    out.last_row = std::min(x->last_row, y->last_row);
    out.first_column = std::max(x->first_column, y->first_column);
    out.last_column = std::min(x->last_column, y->last_column);
    if (out.first_row > out.last_row || out.first_column > out.last_column)
      return push(Error{ErrorCode::null});
    push(out);
  }

  void call(std::uint16_t number, std::size_t count, OperandClass result_class) {
    if (stack_.size() < count) throw NotComputable("a function lacks its arguments");
    Function function = nullptr;
    auto first = stack_.end() - static_cast<std::ptrdiff_t>(count);
    if (number == kAddInFunction) {
      if (count == 0 || !first->add_in) throw NotComputable("a macro or external function");
      function = add_in_implementation(*first->add_in);
      ++first;
    } else {
      function = function_implementation(number);
    }
    if (!function) throw NotComputable("a function the engine does not compute");
    std::vector<Value> arguments;
    arguments.reserve(count);
    for (auto it = first; it != stack_.end(); ++it) {
      if (it->add_in) throw NotComputable("an add-in name used as a value");
      arguments.push_back(std::move(it->value));
    }
    stack_.erase(stack_.end() - static_cast<std::ptrdiff_t>(count), stack_.end());
    push(in_class(function(arguments, context_), result_class));
  }

  void name(const Token& token) {
    const DefinedName* defined = names_.name(get_u16(token.bytes.data() + 1));
    if (!defined || defined->function)
      throw NotComputable("a name the workbook does not define as a formula");
    if (depth_ >= kMaxNameDepth) throw NotComputable("names that refer to themselves");
    const auto tokens = translate_to_cell(defined->tokens, defined->extra, context_.row(),
                                          static_cast<std::uint8_t>(context_.column()));
    if (!tokens) throw NotComputable("a name whose formula cannot be read");
    Evaluation inner(context_, names_, array_formula_, depth_ + 1);
    push(in_class(inner.run(*tokens, defined->extra), token.operand_class()));
  }

  std::uint16_t sheet_of(const Token& token) {
    const auto sheets = names_.sheets(sheet_reference_of(token));
    if (!sheets || sheets->first != sheets->last)
      throw NotComputable("a reference to another workbook or several sheets");
    return sheets->first;
  }

  void area(const Token& token, std::uint16_t sheet) {
    const AreaLocation where = area_of(token);
    Reference ref{sheet};
    ref.first_row = std::min(where.first.row, where.last.row);
    ref.last_row = std::max(where.first.row, where.last.row);
    ref.first_column = std::min(where.first.column, where.last.column);
    ref.last_column = std::max(where.first.column, where.last.column);
    push(in_class(ref, token.operand_class()));
  }

  void cell(const Token& token, std::uint16_t sheet) {
    const Location where = location_of(token);
    push(in_class(Reference{sheet, where.row, where.row, where.column, where.column},
                  token.operand_class()));
  }

  void attribute(const Token& token) {
    const auto kind = static_cast<std::uint8_t>(token.bytes[1]);
    if (kind & attr::kSum) call(kSumFunction, 1, OperandClass::value);
    // Volatile, IF, CHOOSE, GOTO and spaces steer or show; every branch is on the stack anyway.
  }

  void step(const Token& token) {
    const std::uint8_t base = token.base();
    const char* bytes = token.bytes.data();
    if (base >= ptg::kAdd && base <= ptg::kNe) {
      const Value b = operand(pop()), a = operand(pop());
      return push(elementwise(a, b, [&](const Value& x, const Value& y) {
        return binary_operation(base, x, y, context_);
      }));
    }
    switch (base) {
      case ptg::kIsect:
      case ptg::kUnion:
      case ptg::kRange:
        return reference_operator(base);
      case ptg::kUplus:
      case ptg::kUminus:
      case ptg::kPercent: {
        const Value a = operand(pop());
        return push(elementwise(a, Blank{}, [&](const Value& x, const Value&) {
          return unary_operation(base, x, context_);
        }));
      }
      case ptg::kParen:
        return;
      case ptg::kMissArg:
        return push(Blank{});
      case ptg::kStr: {
        const auto count = static_cast<std::uint8_t>(bytes[1]);
        return push(read_string(token.bytes.substr(3), count, bytes[2] & 0x01));
      }
      case ptg::kAttr:
        return attribute(token);
      case ptg::kErr:
        return push(Error{static_cast<ErrorCode>(bytes[1])});
      case ptg::kBool:
        return push(bytes[1] != 0);
      case ptg::kInt:
        return push(static_cast<double>(get_u16(bytes + 1)));
      case ptg::kNum:
        return push(get_double(bytes + 1));
      case ptg::kArray:
        return push(array_constant(token.extra));
      case ptg::kFunc: {
        const std::uint16_t number = get_u16(bytes + 1);
        const FunctionInfo* info = function_by_number(number);
        if (!info) throw NotComputable("a function of unknown argument count");
        return call(number, info->min_arguments, token.operand_class());
      }
      case ptg::kFuncVar:
        return call(get_u16(bytes + 2) & 0x7FFF, static_cast<std::uint8_t>(bytes[1]) & 0x7F,
                    token.operand_class());
      case ptg::kName:
        return name(token);
      case ptg::kRef:
        return cell(token, context_.sheet());
      case ptg::kArea:
        return area(token, context_.sheet());
      case ptg::kRef3d:
        return cell(token, sheet_of(token));
      case ptg::kArea3d:
        return area(token, sheet_of(token));
      case ptg::kMemArea:
      case ptg::kMemErr:
      case ptg::kMemNoMem:
      case ptg::kMemFunc:
        return;  // the expression that computes the reference follows
      case ptg::kRefErr:
      case ptg::kAreaErr:
      case ptg::kRefErr3d:
      case ptg::kAreaErr3d:
        return push(Error{ErrorCode::ref});
      case ptg::kNameX: {
        auto external = names_.external_name(sheet_reference_of(token), get_u16(bytes + 3));
        if (!external || !external->add_in) throw NotComputable("a name of another workbook");
        stack_.push_back({Blank{}, upper_case(external->name)});
        return;
      }
      default:
        throw NotComputable("a token the engine does not compute");
    }
  }

  Context& context_;
  const FormulaNames& names_;
  bool array_formula_;
  int depth_;
  std::vector<Operand> stack_;
};

}  // namespace

Value evaluate(const FormulaSource& formula, Context& context, const FormulaNames& names) {
  Evaluation evaluation(context, names, formula.array_formula, 0);
  return evaluation.run(formula.tokens, formula.extra);
}

Value cell_result(const Value& value, Context& context) {
  if (const auto* ref = std::get_if<Reference>(&value)) {
    const std::uint16_t row = context.row(), column = context.column();
    Value single = Error{ErrorCode::value};
    if (ref->rows() == 1 && ref->columns() == 1) {
      single = context.cell(ref->sheet, ref->first_row, ref->first_column);
    } else if (ref->columns() == 1 && row >= ref->first_row && row <= ref->last_row) {
      single = context.cell(ref->sheet, row, ref->first_column);
    } else if (ref->rows() == 1 && column >= ref->first_column && column <= ref->last_column) {
      single = context.cell(ref->sheet, ref->first_row, column);
    }
    return cell_result(single, context);
  }
  if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&value)) {
    if (!*array || (*array)->cells.empty()) return Error{ErrorCode::value};
    return cell_result((*array)->cells.front(), context);
  }
  if (std::holds_alternative<Blank>(value)) return 0.0;
  return value;
}

}  // namespace xls::formula
