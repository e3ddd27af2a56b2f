#include "xls/formula/function_support.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "xls/entry_scan.h"
#include "xls/formula/serial_date.h"
#include "xls/typed_entry_date_time.h"
#include "xls/typed_entry_fraction.h"
#include "xls/typed_entry_number.h"

namespace xls::formula {
namespace {

const Value kBlank = Blank{};

std::u16string ascii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace

Value single_value(const Value& argument, Context& context) {
  if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&argument)) {
    if (!*array || (*array)->cells.empty()) return error_value(ErrorCode::value);
    return (*array)->cells.front();
  }
  const auto* reference = std::get_if<Reference>(&argument);
  if (!reference) return argument;
  const auto& r = *reference;
  if (r.rows() == 1 && r.columns() == 1) return context.cell(r.sheet, r.first_row, r.first_column);
  if (r.columns() == 1 && context.row() >= r.first_row && context.row() <= r.last_row) {
    return context.cell(r.sheet, context.row(), r.first_column);
  }
  if (r.rows() == 1 && context.column() >= r.first_column && context.column() <= r.last_column) {
    return context.cell(r.sheet, r.first_row, context.column());
  }
  return error_value(ErrorCode::value);
}

const Value& argument_or_blank(std::span<const Value> arguments, std::size_t index) {
  return index < arguments.size() ? arguments[index] : kBlank;
}

bool has_argument(std::span<const Value> arguments, std::size_t index) {
  return index < arguments.size() && !std::holds_alternative<Blank>(arguments[index]);
}

std::optional<double> number_from_text(std::u16string_view text, Context& context) {
  const auto trimmed = entry::trim_blanks(text);
  if (trimmed.empty()) return std::nullopt;
  if (const auto number = entry::read_number(trimmed)) return number->value;
  if (const auto fraction = entry::read_fraction(trimmed)) return fraction->value;
  const int year = civil_date(static_cast<long>(std::floor(context.now())), false).year;
  if (const auto moment = entry::read_date_time(trimmed, context.date1904(), year)) {
    return moment->value;
  }
  return std::nullopt;
}

Got<double> number_of(const Value& argument, Context& context) {
  const Value value = single_value(argument, context);
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* boolean = std::get_if<bool>(&value)) return *boolean ? 1.0 : 0.0;
  if (std::holds_alternative<Blank>(value)) return 0.0;
  if (const auto* error = std::get_if<Error>(&value)) return *error;
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    if (const auto number = number_from_text(*text, context)) return *number;
  }
  return Error{ErrorCode::value};
}

Got<double> integer_of(const Value& argument, Context& context) {
  auto number = number_of(argument, context);
  if (number.ok()) number.value = std::trunc(number.value);
  return number;
}

Got<std::u16string> text_of(const Value& argument, Context& context) {
  const Value value = single_value(argument, context);
  if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
  if (const auto* number = std::get_if<double>(&value)) return general_text(*number);
  if (const auto* boolean = std::get_if<bool>(&value)) return ascii(*boolean ? "TRUE" : "FALSE");
  if (const auto* error = std::get_if<Error>(&value)) return *error;
  return std::u16string();
}

Got<bool> boolean_of(const Value& argument, Context& context) {
  const Value value = single_value(argument, context);
  if (const auto* boolean = std::get_if<bool>(&value)) return *boolean;
  if (const auto* number = std::get_if<double>(&value)) return *number != 0;
  if (std::holds_alternative<Blank>(value)) return false;
  if (const auto* error = std::get_if<Error>(&value)) return *error;
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    if (entry::same_word(*text, "true")) return true;
    if (entry::same_word(*text, "false")) return false;
  }
  return Error{ErrorCode::value};
}

std::u16string general_text(double number) {
  if (number == 0 || !std::isfinite(number)) return u"0";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.14e", number);
  // buffer: [-]d.dddddddddddddde[+-]xx
  std::string text(buffer);
  const auto e = text.find('e');
  const int exponent = std::stoi(text.substr(e + 1));
  const bool negative = text[0] == '-';
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -9) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += exp;
  } else if (exponent < 0) {
    out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else if (static_cast<int>(digits.size()) <= exponent + 1) {
    out += digits + std::string(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
           digits.substr(static_cast<std::size_t>(exponent + 1));
  }
  return ascii(out);
}

void for_each_value(const Value& argument, Context& context,
                    const std::function<bool(const Value&)>& visit) {
  if (const auto* reference = std::get_if<Reference>(&argument)) {
    for (std::uint32_t row = reference->first_row; row <= reference->last_row; ++row) {
      for (std::uint32_t column = reference->first_column; column <= reference->last_column;
           ++column) {
        if (!visit(context.cell(reference->sheet, static_cast<std::uint16_t>(row),
                                static_cast<std::uint16_t>(column)))) {
          return;
        }
      }
    }
    return;
  }
  if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&argument)) {
    if (!*array) return;
    for (const auto& cell : (*array)->cells) {
      if (!visit(cell)) return;
    }
    return;
  }
  visit(argument);
}

Grid grid_of(const Value& argument, Context& context) {
  if (const auto* reference = std::get_if<Reference>(&argument)) {
    const Reference r = *reference;
    return {r.rows(), r.columns(), [r, &context](std::uint32_t row, std::uint32_t column) {
              return context.cell(r.sheet, static_cast<std::uint16_t>(r.first_row + row),
                                  static_cast<std::uint16_t>(r.first_column + column));
            }};
  }
  if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&argument)) {
    if (*array && !(*array)->cells.empty()) {
      auto shared = *array;
      return {shared->rows, shared->columns, [shared](std::uint32_t row, std::uint32_t column) {
                return shared->at(row, column);
              }};
    }
  }
  Value single = argument;
  return {1, 1, [single](std::uint32_t, std::uint32_t) { return single; }};
}

std::u16string upper_case(std::u16string_view text) {
  std::u16string upper(text);
  for (auto& c : upper) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c -= 0x20;
  }
  return upper;
}

}  // namespace xls::formula
