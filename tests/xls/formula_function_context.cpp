#include "formula_function_context.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace xls_test {
namespace {

using namespace xls::formula;

const std::map<std::string, std::uint16_t> kNumbers = {
    {"COUNT", 0},         {"IF", 1},           {"ISNA", 2},         {"ISERROR", 3},
    {"SUM", 4},           {"AVERAGE", 5},      {"MIN", 6},          {"MAX", 7},
    {"ROW", 8},           {"COLUMN", 9},       {"NA", 10},          {"STDEV", 12},
    {"DOLLAR", 13},       {"FIXED", 14},       {"SIN", 15},         {"COS", 16},
    {"TAN", 17},          {"ATAN", 18},        {"PI", 19},          {"SQRT", 20},
    {"EXP", 21},          {"LN", 22},          {"LOG10", 23},       {"ABS", 24},
    {"INT", 25},          {"SIGN", 26},        {"ROUND", 27},       {"LOOKUP", 28},
    {"INDEX", 29},        {"REPT", 30},        {"MID", 31},         {"LEN", 32},
    {"VALUE", 33},        {"TRUE", 34},        {"FALSE", 35},       {"AND", 36},
    {"OR", 37},           {"NOT", 38},         {"MOD", 39},         {"VAR", 46},
    {"TEXT", 48},         {"RAND", 63},        {"MATCH", 64},       {"DATE", 65},
    {"TIME", 66},         {"DAY", 67},         {"MONTH", 68},       {"YEAR", 69},
    {"WEEKDAY", 70},      {"HOUR", 71},        {"MINUTE", 72},      {"SECOND", 73},
    {"NOW", 74},          {"ROWS", 76},        {"COLUMNS", 77},     {"OFFSET", 78},
    {"SEARCH", 82},       {"ATAN2", 97},       {"ASIN", 98},        {"ACOS", 99},
    {"CHOOSE", 100},      {"HLOOKUP", 101},    {"VLOOKUP", 102},    {"LOG", 109},
    {"CHAR", 111},        {"LOWER", 112},      {"UPPER", 113},      {"PROPER", 114},
    {"LEFT", 115},        {"RIGHT", 116},      {"EXACT", 117},      {"TRIM", 118},
    {"REPLACE", 119},     {"SUBSTITUTE", 120}, {"CODE", 121},       {"FIND", 124},
    {"ISERR", 126},       {"ISTEXT", 127},     {"ISNUMBER", 128},   {"ISBLANK", 129},
    {"T", 130},           {"N", 131},          {"DATEVALUE", 140},  {"TIMEVALUE", 141},
    {"INDIRECT", 148},    {"COUNTA", 169},     {"PRODUCT", 183},    {"STDEVP", 193},
    {"VARP", 194},        {"TRUNC", 197},      {"ISLOGICAL", 198},  {"ROUNDUP", 212},
    {"ROUNDDOWN", 213},   {"RANK", 216},       {"ADDRESS", 219},    {"DAYS360", 220},
    {"TODAY", 221},       {"MEDIAN", 227},     {"SUMPRODUCT", 228}, {"ERROR.TYPE", 261},
    {"FLOOR", 285},       {"CEILING", 288},    {"CORREL", 307},     {"FORECAST", 309},
    {"INTERCEPT", 311},   {"SLOPE", 315},      {"LARGE", 325},      {"SMALL", 326},
    {"CONCATENATE", 336}, {"POWER", 337},      {"RADIANS", 342},    {"DEGREES", 343},
    {"SUMIF", 345},       {"COUNTIF", 346},    {"COUNTBLANK", 347},
};

const char* error_name(ErrorCode code) {
  switch (code) {
    case ErrorCode::null:
      return "#NULL!";
    case ErrorCode::div0:
      return "#DIV/0!";
    case ErrorCode::value:
      return "#VALUE!";
    case ErrorCode::ref:
      return "#REF!";
    case ErrorCode::name:
      return "#NAME?";
    case ErrorCode::num:
      return "#NUM!";
    case ErrorCode::na:
      return "#N/A";
  }
  return "#?";
}

}  // namespace

FakeContext::FakeContext() = default;

void FakeContext::put(const std::string& cell, Value value, std::uint16_t sheet) {
  const auto r = area(cell, sheet);
  cells_[{sheet, r.first_row, r.first_column}] = std::move(value);
}

Reference FakeContext::area(const std::string& text, std::uint16_t sheet) {
  Reference r;
  r.sheet = sheet;
  const auto corner = [](const std::string& part, std::uint16_t& row, std::uint16_t& column) {
    std::size_t i = 0;
    int c = 0;
    while (i < part.size() && std::isalpha(static_cast<unsigned char>(part[i]))) {
      c = c * 26 + (std::toupper(part[i++]) - 'A' + 1);
    }
    column = static_cast<std::uint16_t>(c - 1);
    row = static_cast<std::uint16_t>(std::stoi(part.substr(i)) - 1);
  };
  const auto colon = text.find(':');
  corner(text.substr(0, colon), r.first_row, r.first_column);
  r.last_row = r.first_row;
  r.last_column = r.first_column;
  if (colon != std::string::npos) corner(text.substr(colon + 1), r.last_row, r.last_column);
  return r;
}

Value FakeContext::cell(std::uint16_t sheet, std::uint16_t row, std::uint16_t column) {
  const auto found = cells_.find({sheet, row, column});
  return found == cells_.end() ? Value(Blank{}) : found->second;
}

std::optional<std::uint16_t> FakeContext::sheet_named(std::u16string_view name) const {
  if (name == u"Data") return 0;
  if (name == u"Other sheet") return 1;
  return std::nullopt;
}

std::u16string FakeContext::sheet_name(std::uint16_t sheet) const {
  return sheet == 0 ? u"Data" : u"Other sheet";
}

std::uint16_t function_number(const std::string& name) {
  const auto found = kNumbers.find(name);
  if (found == kNumbers.end()) throw std::invalid_argument("no function " + name);
  return found->second;
}

std::vector<std::string> function_names() {
  std::vector<std::string> names;
  for (const auto& [name, number] : kNumbers) names.push_back(name);
  return names;
}

Value call(FakeContext& context, const std::string& name, const std::vector<Value>& arguments) {
  Function function = nullptr;
  if (name == "EDATE" || name == "EOMONTH") {
    function = add_in_implementation(std::u16string(name.begin(), name.end()));
  } else {
    function = function_implementation(function_number(name));
  }
  if (!function) throw std::invalid_argument("no implementation of " + name);
  return function(arguments, context);
}

std::string describe(const Value& value) {
  std::ostringstream out;
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, Blank>) {
          out << "blank";
        } else if constexpr (std::is_same_v<T, double>) {
          char buffer[40];
          std::snprintf(buffer, sizeof buffer, "%.17g", v);
          out << buffer;
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          out << '"';
          for (const char16_t c : v) {
            if (c < 0x80) {
              out << static_cast<char>(c);
            } else {
              out << "\\u" << std::hex << static_cast<int>(c) << std::dec;
            }
          }
          out << '"';
        } else if constexpr (std::is_same_v<T, bool>) {
          out << (v ? "TRUE" : "FALSE");
        } else if constexpr (std::is_same_v<T, Error>) {
          out << error_name(v.code);
        } else if constexpr (std::is_same_v<T, Reference>) {
          out << "ref sheet " << v.sheet << " rows " << v.first_row << "-" << v.last_row
              << " columns " << v.first_column << "-" << v.last_column;
        } else {
          out << "array " << (v ? v->rows : 0) << "x" << (v ? v->columns : 0);
        }
      },
      value);
  return out.str();
}

bool same_value(const Value& actual, const Value& expected) {
  if (actual.index() != expected.index()) return false;
  if (const auto* e = std::get_if<double>(&expected)) {
    const double a = std::get<double>(actual);
    return std::fabs(a - *e) <= 5e-15 * std::max(1.0, std::fabs(*e));
  }
  if (const auto* e = std::get_if<std::shared_ptr<const Array>>(&expected)) {
    const auto& a = std::get<std::shared_ptr<const Array>>(actual);
    if (!a || !*e || a->rows != (*e)->rows || a->columns != (*e)->columns) return false;
    for (std::size_t i = 0; i < a->cells.size(); ++i) {
      if (!same_value(a->cells[i], (*e)->cells[i])) return false;
    }
    return true;
  }
  return actual == expected;
}

}  // namespace xls_test
