// The built-in functions, one table per family, called with a fake workbook: cells of every
// kind in ranges, typed arguments, blanks and errors. Expected values are the application's
// documented results.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "formula_function_context.h"
#include "xls/formula/function_table.h"

namespace xls_test {
namespace {

using xls::formula::Array;
using xls::formula::Blank;
using xls::formula::Error;
using xls::formula::ErrorCode;
using xls::formula::Reference;

Value S(const char16_t* text) {
  return std::u16string(text);
}
Value E(ErrorCode code) {
  return Error{code};
}
Value R(const std::string& area, std::uint16_t sheet = 0) {
  return FakeContext::area(area, sheet);
}
// An array constant of rows.
Value A(std::vector<std::vector<Value>> rows) {
  auto array = std::make_shared<Array>();
  array->rows = static_cast<std::uint32_t>(rows.size());
  array->columns = static_cast<std::uint32_t>(rows.front().size());
  for (auto& row : rows) {
    for (auto& cell : row) array->cells.push_back(cell);
  }
  return std::shared_ptr<const Array>(array);
}
const Value kBlank = Blank{};
const Value kTrue = true, kFalse = false;
constexpr ErrorCode kDiv0 = ErrorCode::div0, kValue = ErrorCode::value, kNum = ErrorCode::num,
                    kNa = ErrorCode::na, kRef = ErrorCode::ref;

struct Case {
  const char* function;
  std::vector<Value> arguments;
  Value expected;
  bool date1904 = false;
};

// Data!A1:A5 1..5; B1:B5 "x", TRUE, blank, "7", #DIV/0!; C1:C5 10, 20, "", 40, 50;
// D1:E4 sorted names with 1.5 .. 4.5; F1:H2 10 20 30 over ten twenty thirty;
// 'Other sheet'!A1 100. The formula is in H10.
FakeContext workbook() {
  FakeContext context;
  for (int i = 1; i <= 5; ++i) context.put("A" + std::to_string(i), double(i));
  context.put("B1", S(u"x"));
  context.put("B2", true);
  context.put("B4", S(u"7"));
  context.put("B5", E(kDiv0));
  context.put("C1", 10.0);
  context.put("C2", 20.0);
  context.put("C3", S(u""));
  context.put("C4", 40.0);
  context.put("C5", 50.0);
  const char16_t* names[] = {u"apple", u"Banana", u"cherry", u"date"};
  for (int i = 0; i < 4; ++i) {
    context.put("D" + std::to_string(i + 1), S(names[i]));
    context.put("E" + std::to_string(i + 1), 1.5 + i);
  }
  const char16_t* words[] = {u"ten", u"twenty", u"thirty"};
  for (int i = 0; i < 3; ++i) {
    const std::string column(1, static_cast<char>('F' + i));
    context.put(column + "1", 10.0 * (i + 1));
    context.put(column + "2", S(words[i]));
  }
  context.put("A1", 100.0, 1);
  return context;
}

void check(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    auto context = workbook();
    context.date1904_ = c.date1904;
    std::string arguments;
    for (const auto& a : c.arguments) arguments += (arguments.empty() ? "" : ", ") + describe(a);
    const Value actual = call(context, c.function, c.arguments);
    EXPECT_TRUE(same_value(actual, c.expected))
        << c.function << "(" << arguments << ") gave " << describe(actual) << ", expected "
        << describe(c.expected);
  }
}

// Ranges give only their numbers (texts, booleans, blanks left out; an error ends the
// function); typed arguments convert; each function's own answer for no numbers.
TEST(FormulaFunctions, AggregatesReadRangesAndTypedArgumentsByTheirOwnRules) {
  check({
      {"SUM", {R("A1:A5")}, 15.0},
      {"SUM", {R("A1:B5")}, E(kDiv0)},
      {"SUM", {R("A1:A5"), R("B1:B4")}, 15.0},
      {"SUM", {1.0, kTrue, S(u"2")}, 4.0},
      {"SUM", {S(u"x")}, E(kValue)},
      {"SUM", {A({{1.0, S(u"5"), kTrue}})}, 1.0},
      {"AVERAGE", {R("C1:C5")}, 30.0},
      {"AVERAGE", {R("B1:B4")}, E(kDiv0)},
      {"COUNT", {R("A1:C5")}, 9.0},
      {"COUNT", {1.0, S(u"2"), S(u"x"), kTrue, E(kNa)}, 3.0},
      {"COUNTA", {R("B1:B5")}, 4.0},
      {"COUNTA", {R("C1:C5")}, 5.0},
      {"COUNTBLANK", {R("B1:C5")}, 2.0},
      {"MIN", {R("A1:A5"), -2.0}, -2.0},
      {"MAX", {R("C1:C5")}, 50.0},
      {"MAX", {R("B1:B4")}, 0.0},
      {"PRODUCT", {R("A1:A5")}, 120.0},
      {"PRODUCT", {R("D1:D4")}, 0.0},
      {"SUMPRODUCT", {R("A1:A5"), R("C1:C5")}, 460.0},
      {"SUMPRODUCT", {R("A1:A5"), R("A1:A4")}, E(kValue)},
      {"SUMPRODUCT", {A({{1.0, 2.0}}), A({{3.0, 4.0}})}, 11.0},
      {"SUMIF", {R("A1:A5"), S(u">2")}, 12.0},
      {"SUMIF", {R("A1:A5"), S(u">=2"), R("C1:C5")}, 110.0},
      {"SUMIF", {R("A1:A5"), S(u">=2"), R("C1")}, 110.0},
      {"SUMIF", {R("D1:D4"), S(u"*e*"), R("E1:E4")}, 9.5},
      {"SUMIF", {R("A1:A5"), 3.0, R("B1:B5")}, 0.0},
      {"SUMIF", {R("A1:A5"), 5.0, R("B1:B5")}, E(kDiv0)},
      {"COUNTIF", {R("D1:D4"), S(u"b*")}, 1.0},
      {"COUNTIF", {R("A1:A5"), S(u"<>3")}, 4.0},
      {"COUNTIF", {R("B1:B5"), S(u"7")}, 1.0},
      {"COUNTIF", {R("B1:C5"), S(u"")}, 2.0},
      {"COUNTIF", {R("B1:C5"), S(u"=")}, 1.0},
      {"COUNTIF", {R("B1:C5"), S(u"<>")}, 9.0},
      {"COUNTIF", {R("B1:B5"), kTrue}, 1.0},
      {"COUNTIF", {R("B1:B5"), S(u"#DIV/0!")}, 1.0},
      {"COUNTIF", {R("D1:D4"), S(u">b")}, 3.0},
      {"COUNTIF", {R("A1:A5"), 3.0}, 1.0},
      {"MEDIAN", {R("A1:A4")}, 2.5},
      {"MEDIAN", {R("C1:C5")}, 30.0},
      {"MEDIAN", {R("D1:D4")}, E(kNum)},
      {"STDEV", {R("A1:A5")}, std::sqrt(2.5)},
      {"STDEVP", {R("A1:A5")}, std::sqrt(2.0)},
      {"VAR", {R("A1:A5")}, 2.5},
      {"VARP", {R("A1:A5")}, 2.0},
      {"STDEV", {1.0}, E(kDiv0)},
      {"VARP", {R("D1:D4")}, E(kDiv0)},
      {"LARGE", {R("A1:A5"), 2.0}, 4.0},
      {"SMALL", {R("C1:C5"), 1.0}, 10.0},
      {"LARGE", {R("A1:A5"), 6.0}, E(kNum)},
      {"SMALL", {R("A1:A5"), 1.5}, 2.0},
      {"RANK", {4.0, R("A1:A5")}, 2.0},
      {"RANK", {4.0, R("A1:A5"), 1.0}, 4.0},
      {"RANK", {9.0, R("A1:A5")}, E(kNa)},
      {"SLOPE", {R("E1:E4"), R("A1:A4")}, 1.0},
      {"INTERCEPT", {R("E1:E4"), R("A1:A4")}, 0.5},
      {"FORECAST", {10.0, R("E1:E4"), R("A1:A4")}, 10.5},
      {"CORREL", {R("E1:E4"), R("A1:A4")}, 1.0},
      {"CORREL", {A({{1.0, 2.0, 3.0}}), A({{3.0, 1.0, 2.0}})}, -0.5},
      {"SLOPE", {R("C1:C5"), R("A1:A5")}, 10.0},
      {"SLOPE", {R("A1:A5"), R("A1:A4")}, E(kNa)},
      {"SLOPE", {R("A1:A4"), A({{2.0, 2.0, 2.0, 2.0}})}, E(kDiv0)},
  });
}

// IF chooses without judging the other branch; AND/OR take the logical values of ranges; the
// IS functions look at a value as it is; a range in a value position meets the formula's row.
TEST(FormulaFunctions, LogicAndInformationFollowTheApplication) {
  check({
      {"IF", {kTrue, 1.0, 2.0}, 1.0},
      {"IF", {0.0, 1.0, 2.0}, 2.0},
      {"IF", {kFalse, 1.0}, kFalse},
      {"IF", {kTrue, kBlank, 2.0}, 0.0},
      {"IF", {S(u"x"), 1.0, 2.0}, E(kValue)},
      {"IF", {S(u"true"), 1.0, 2.0}, 1.0},
      {"IF", {E(kDiv0), 1.0, 2.0}, E(kDiv0)},
      {"IF", {kTrue, R("A1:A2")}, R("A1:A2")},
      {"IF", {kFalse, E(kNa), S(u"ok")}, S(u"ok")},
      {"AND", {kTrue, 1.0}, kTrue},
      {"AND", {R("A1:A5")}, kTrue},
      {"AND", {R("B1:B4")}, kTrue},
      {"AND", {R("D1:D4")}, E(kValue)},
      {"AND", {S(u"x")}, E(kValue)},
      {"AND", {kTrue, 0.0}, kFalse},
      {"OR", {0.0, kFalse}, kFalse},
      {"OR", {R("B1:B5")}, E(kDiv0)},
      {"OR", {R("C1:C3"), kFalse}, kTrue},
      {"NOT", {0.0}, kTrue},
      {"NOT", {S(u"x")}, E(kValue)},
      {"TRUE", {}, kTrue},
      {"FALSE", {}, kFalse},
      {"ISERROR", {R("B5")}, kTrue},
      {"ISERR", {E(kNa)}, kFalse},
      {"ISERR", {E(kDiv0)}, kTrue},
      {"ISNA", {E(kNa)}, kTrue},
      {"ISNUMBER", {R("B4")}, kFalse},
      {"ISNUMBER", {R("A2")}, kTrue},
      {"ISTEXT", {R("B4")}, kTrue},
      {"ISTEXT", {R("C3")}, kTrue},
      {"ISBLANK", {R("B3")}, kTrue},
      {"ISBLANK", {R("C3")}, kFalse},
      {"ISLOGICAL", {R("B2")}, kTrue},
      {"ISLOGICAL", {1.0}, kFalse},
      {"ISBLANK", {R("A1:A20")}, kTrue},
      {"N", {R("A1:A5")}, E(kValue)},
      {"N", {R("F1:J1")}, 30.0},
      {"N", {R("A8:A12", 1)}, 0.0},
      {"NA", {}, E(kNa)},
      {"ERROR.TYPE", {E(kNum)}, 6.0},
      {"ERROR.TYPE", {R("B5")}, 2.0},
      {"ERROR.TYPE", {1.0}, E(kNa)},
  });
}

// Rounding on 15 significant digits, half away from zero; the domains of the functions
// (#NUM!, #DIV/0!); CEILING and FLOOR with the signs of number and significance.
TEST(FormulaFunctions, MathematicsRoundsAndRefusesAsTheApplication) {
  const double pi = std::numbers::pi;
  check({
      {"ROUND", {2.675, 2.0}, 2.68},
      {"ROUND", {1.005, 2.0}, 1.01},
      {"ROUND", {-2.5, 0.0}, -3.0},
      {"ROUND", {1234.5678, -2.0}, 1200.0},
      {"ROUND", {0.5, 0.0}, 1.0},
      {"ROUND", {0.4, -1.0}, 0.0},
      {"ROUND", {S(u"x"), 1.0}, E(kValue)},
      {"ROUNDUP", {3.2, 0.0}, 4.0},
      {"ROUNDUP", {-3.2, 0.0}, -4.0},
      {"ROUNDUP", {31415.92654, -2.0}, 31500.0},
      {"ROUNDUP", {0.1 + 0.2, 1.0}, 0.3},
      {"ROUNDDOWN", {3.9, 0.0}, 3.0},
      {"ROUNDDOWN", {-3.14159, 1.0}, -3.1},
      {"INT", {-8.9}, -9.0},
      {"INT", {8.9}, 8.0},
      {"TRUNC", {-8.9}, -8.0},
      {"TRUNC", {8.987, 2.0}, 8.98},
      {"ABS", {-2.0}, 2.0},
      {"ABS", {R("B2")}, 1.0},
      {"ABS", {R("B1")}, E(kValue)},
      {"ABS", {R("B3")}, 0.0},
      {"SIGN", {-0.5}, -1.0},
      {"SIGN", {0.0}, 0.0},
      {"SQRT", {16.0}, 4.0},
      {"SQRT", {S(u"16")}, 4.0},
      {"SQRT", {-1.0}, E(kNum)},
      {"POWER", {2.0, 10.0}, 1024.0},
      {"POWER", {0.0, 0.0}, E(kNum)},
      {"POWER", {0.0, -1.0}, E(kDiv0)},
      {"POWER", {-8.0, 1.0 / 3}, E(kNum)},
      {"POWER", {10.0, 400.0}, E(kNum)},
      {"MOD", {3.0, 2.0}, 1.0},
      {"MOD", {-3.0, 2.0}, 1.0},
      {"MOD", {3.0, -2.0}, -1.0},
      {"MOD", {1.0, 0.0}, E(kDiv0)},
      {"MOD", {0.3, 0.1}, 0.0},
      {"EXP", {1.0}, std::exp(1.0)},
      {"EXP", {1000.0}, E(kNum)},
      {"LN", {0.0}, E(kNum)},
      {"LN", {std::exp(2.0)}, 2.0},
      {"LOG", {8.0, 2.0}, 3.0},
      {"LOG", {100.0}, 2.0},
      {"LOG", {10.0, 1.0}, E(kDiv0)},
      {"LOG", {-1.0}, E(kNum)},
      {"LOG10", {0.001}, -3.0},
      {"PI", {}, pi},
      {"SIN", {pi / 2}, 1.0},
      {"COS", {0.0}, 1.0},
      {"TAN", {pi / 4}, 1.0},
      {"ASIN", {2.0}, E(kNum)},
      {"ACOS", {1.0}, 0.0},
      {"ATAN", {1.0}, pi / 4},
      {"ATAN2", {1.0, 1.0}, pi / 4},
      {"ATAN2", {-1.0, 0.0}, pi},
      {"ATAN2", {0.0, 0.0}, E(kDiv0)},
      {"DEGREES", {pi}, 180.0},
      {"RADIANS", {180.0}, pi},
      {"CEILING", {2.5, 1.0}, 3.0},
      {"CEILING", {0.234, 0.01}, 0.24},
      {"CEILING", {-2.5, -2.0}, -4.0},
      {"CEILING", {-2.5, 2.0}, -2.0},
      {"CEILING", {1.5, -1.0}, E(kNum)},
      {"CEILING", {1.5, 0.0}, 0.0},
      {"FLOOR", {2.5, 1.0}, 2.0},
      {"FLOOR", {1.58, 0.1}, 1.5},
      {"FLOOR", {0.3, 0.1}, 0.3},
      {"FLOOR", {-2.5, -2.0}, -2.0},
      {"FLOOR", {-2.5, 2.0}, -4.0},
      {"FLOOR", {2.5, 0.0}, E(kDiv0)},
      {"FLOOR", {2.5, -1.0}, E(kNum)},
      {"RAND", {}, 0.25},
  });
}

// Lookups search sorted data for the largest value not above, exact matches take wildcards
// and ignore case; functions that give a place give a reference.
TEST(FormulaFunctions, LookupsFindAndReferencesPoint) {
  check({
      {"VLOOKUP", {3.0, R("A1:E5"), 5.0}, 3.5},
      {"VLOOKUP", {2.5, R("A1:E5"), 3.0, kTrue}, 20.0},
      {"VLOOKUP", {2.5, R("A1:C5"), 2.0, kFalse}, E(kNa)},
      {"VLOOKUP", {0.0, R("A1:C5"), 2.0}, E(kNa)},
      {"VLOOKUP", {S(u"banana"), R("D1:E4"), 2.0, kFalse}, 2.5},
      {"VLOOKUP", {S(u"c*"), R("D1:E4"), 2.0, kFalse}, 3.5},
      {"VLOOKUP", {S(u"cz"), R("D1:E4"), 2.0}, 3.5},
      {"VLOOKUP", {1.0, R("A1:C5"), 4.0}, E(kRef)},
      {"VLOOKUP", {1.0, R("A1:C5"), 0.0}, E(kValue)},
      {"VLOOKUP", {E(kDiv0), R("A1:C5"), 1.0}, E(kDiv0)},
      {"HLOOKUP", {20.0, R("F1:H2"), 2.0, kFalse}, S(u"twenty")},
      {"HLOOKUP", {25.0, R("F1:H2"), 2.0}, S(u"twenty")},
      {"LOOKUP", {3.7, R("A1:A5"), R("E1:E5")}, 3.5},
      {"LOOKUP", {S(u"cz"), R("D1:D4")}, S(u"cherry")},
      {"LOOKUP", {4.0, R("A1:C5")}, 40.0},
      {"LOOKUP", {15.0, R("F1:H2")}, S(u"ten")},
      {"LOOKUP", {0.5, R("A1:A5")}, E(kNa)},
      {"MATCH", {4.0, R("A1:A5"), 0.0}, 4.0},
      {"MATCH", {4.5, R("A1:A5")}, 4.0},
      {"MATCH", {S(u"DATE"), R("D1:D4"), 0.0}, 4.0},
      {"MATCH", {S(u"?a*"), R("D1:D4"), 0.0}, 2.0},
      {"MATCH", {0.5, R("A1:A5")}, E(kNa)},
      {"MATCH", {3.0, A({{5.0, 4.0, 3.0, 2.0, 1.0}}), -1.0}, 3.0},
      {"MATCH", {3.5, A({{5.0, 4.0, 3.0, 2.0, 1.0}}), -1.0}, 2.0},
      {"MATCH", {25.0, R("F1:H1"), 1.0}, 2.0},
      {"MATCH", {1.0, R("A1:C5"), 0.0}, E(kNa)},
      {"INDEX", {R("A1:C5"), 2.0, 3.0}, R("C2")},
      {"INDEX", {R("F1:H1"), 2.0}, R("G1")},
      {"INDEX", {R("A1:A5"), 4.0}, R("A4")},
      {"INDEX", {R("A1:C5"), 6.0, 1.0}, E(kRef)},
      {"INDEX", {R("A1:C5"), 0.0, 2.0}, R("B1:B5")},
      {"INDEX", {R("A1:C5"), -1.0, 2.0}, E(kValue)},
      {"INDEX", {A({{1.0, 2.0}, {3.0, 4.0}}), 2.0, 1.0}, 3.0},
      {"INDEX", {A({{1.0, 2.0}, {3.0, 4.0}}), 0.0, 2.0}, A({{2.0}, {4.0}})},
      {"CHOOSE", {2.0, S(u"a"), S(u"b"), S(u"c")}, S(u"b")},
      {"CHOOSE", {2.9, S(u"a"), S(u"b"), S(u"c")}, S(u"b")},
      {"CHOOSE", {4.0, S(u"a"), S(u"b"), S(u"c")}, E(kValue)},
      {"CHOOSE", {1.0, R("A1:A2")}, R("A1:A2")},
      {"ROW", {}, 10.0},
      {"ROW", {R("C3:D7")}, 3.0},
      {"COLUMN", {}, 8.0},
      {"COLUMN", {R("C3")}, 3.0},
      {"ROW", {5.0}, E(kValue)},
      {"ROWS", {R("A1:C5")}, 5.0},
      {"COLUMNS", {R("A1:C5")}, 3.0},
      {"ROWS", {A({{1.0, 2.0, 3.0}})}, 1.0},
      {"COLUMNS", {A({{1.0, 2.0, 3.0}})}, 3.0},
      {"COLUMNS", {7.0}, 1.0},
      {"OFFSET", {R("A1"), 2.0, 1.0}, R("B3")},
      {"OFFSET", {R("A1:B2"), 1.0, 1.0, 3.0, 1.0}, R("B2:B4")},
      {"OFFSET", {R("A1"), -1.0, 0.0}, E(kRef)},
      {"OFFSET", {R("A1"), 0.0, 0.0, 0.0}, E(kRef)},
      {"OFFSET", {R("IV1"), 0.0, 1.0}, E(kRef)},
      {"OFFSET", {5.0, 0.0, 1.0}, E(kValue)},
      {"INDIRECT", {S(u"B2")}, R("B2")},
      {"INDIRECT", {S(u"$b$2:c$3")}, R("B2:C3")},
      {"INDIRECT", {S(u"'Other sheet'!A1:B2")}, R("A1:B2", 1)},
      {"INDIRECT", {S(u"Data!C4")}, R("C4")},
      {"INDIRECT", {S(u"R2C3"), kFalse}, R("C2")},
      {"INDIRECT", {S(u"R[1]C[-1]"), kFalse}, R("G11")},
      {"INDIRECT", {S(u"Nope!A1")}, E(kRef)},
      {"INDIRECT", {S(u"1A")}, E(kRef)},
      {"INDIRECT", {S(u"A65537")}, E(kRef)},
      {"ADDRESS", {2.0, 3.0}, S(u"$C$2")},
      {"ADDRESS", {2.0, 3.0, 2.0}, S(u"C$2")},
      {"ADDRESS", {2.0, 3.0, 3.0}, S(u"$C2")},
      {"ADDRESS", {2.0, 3.0, 4.0}, S(u"C2")},
      {"ADDRESS", {2.0, 3.0, 1.0, kFalse}, S(u"R2C3")},
      {"ADDRESS", {2.0, 3.0, 4.0, kFalse}, S(u"R[2]C[3]")},
      {"ADDRESS", {1.0, 27.0, 1.0, kTrue, S(u"Other sheet")}, S(u"'Other sheet'!$AA$1")},
      {"ADDRESS", {1.0, 256.0, 4.0, kTrue, S(u"Data")}, S(u"Data!IV1")},
      {"ADDRESS", {0.0, 1.0}, E(kValue)},
  });
}

// Texts from numbers as a concatenation writes them (15 digits), cutting and searching in
// characters, case rules, and numbers through format codes.
TEST(FormulaFunctions, TextsAreCutSearchedAndFormattedAsTheApplication) {
  // The largest numbers with the most decimals FIXED writes: every digit, 127 zeros after.
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.0f", 1e300);
  std::string with_commas;
  const std::string whole(digits);
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) with_commas += ',';
    with_commas += whole[i];
  }
  with_commas += "." + std::string(127, '0');
  const std::u16string fixed_1e300(with_commas.begin(), with_commas.end());
  check({
      {"CONCATENATE", {S(u"a"), 1.5, kTrue}, S(u"a1.5TRUE")},
      {"CONCATENATE", {1.0 / 3}, S(u"0.333333333333333")},
      {"CONCATENATE", {2.0 / 3}, S(u"0.666666666666667")},
      {"CONCATENATE", {1e20}, S(u"1E+20")},
      {"CONCATENATE", {123456789012345678.0}, S(u"1.23456789012346E+17")},
      {"CONCATENATE", {123456789012345.0}, S(u"123456789012345")},
      {"CONCATENATE", {0.0001}, S(u"0.0001")},
      {"CONCATENATE", {-1.5e-12}, S(u"-1.5E-12")},
      {"CONCATENATE", {0.1 + 0.2}, S(u"0.3")},
      {"CONCATENATE", {R("B3"), R("B5")}, E(kDiv0)},
      {"LEFT", {S(u"abc")}, S(u"a")},
      {"LEFT", {S(u"abc"), 5.0}, S(u"abc")},
      {"LEFT", {S(u"abc"), -1.0}, E(kValue)},
      {"RIGHT", {S(u"abc"), 2.0}, S(u"bc")},
      {"RIGHT", {12345.0, 2.0}, S(u"45")},
      {"MID", {S(u"abcdef"), 2.0, 3.0}, S(u"bcd")},
      {"MID", {S(u"abc"), 5.0, 1.0}, S(u"")},
      {"MID", {S(u"abc"), 0.0, 1.0}, E(kValue)},
      {"LEN", {S(u"abc")}, 3.0},
      {"LEN", {12.5}, 4.0},
      {"LEN", {R("B3")}, 0.0},
      {"TRIM", {S(u"  a   b  ")}, S(u"a b")},
      {"UPPER", {S(u"aBc\u00e4")}, S(u"ABC\u00c4")},
      {"LOWER", {S(u"\u00c4B")}, S(u"\u00e4b")},
      {"PROPER", {S(u"hello wORLD 2nd it's")}, S(u"Hello World 2Nd It'S")},
      {"SUBSTITUTE", {S(u"a-b-c"), S(u"-"), S(u"+")}, S(u"a+b+c")},
      {"SUBSTITUTE", {S(u"a-b-c"), S(u"-"), S(u"+"), 2.0}, S(u"a-b+c")},
      {"SUBSTITUTE", {S(u"abc"), S(u""), S(u"x")}, S(u"abc")},
      {"SUBSTITUTE", {S(u"abc"), S(u"b"), S(u"x"), 0.0}, E(kValue)},
      {"REPLACE", {S(u"abcdef"), 2.0, 3.0, S(u"X")}, S(u"aXef")},
      {"REPLACE", {S(u"abc"), 9.0, 1.0, S(u"X")}, S(u"abcX")},
      {"REPLACE", {S(u"abc"), 1e300, 1.0, S(u"X")}, S(u"abcX")},
      {"FIXED", {1e300, 127.0}, Value(fixed_1e300)},
      {"FIND", {S(u"b"), S(u"abcb")}, 2.0},
      {"FIND", {S(u"B"), S(u"abc")}, E(kValue)},
      {"FIND", {S(u"b"), S(u"abcb"), 3.0}, 4.0},
      {"FIND", {S(u""), S(u"abc")}, 1.0},
      {"FIND", {S(u"a"), S(u"abc"), 5.0}, E(kValue)},
      {"SEARCH", {S(u"B"), S(u"abc")}, 2.0},
      {"SEARCH", {S(u"?c"), S(u"abcd")}, 2.0},
      {"SEARCH", {S(u"b*d"), S(u"abcd")}, 2.0},
      {"SEARCH", {S(u"~*"), S(u"a*b")}, 2.0},
      {"SEARCH", {S(u"x"), S(u"abc")}, E(kValue)},
      {"REPT", {S(u"ab"), 3.0}, S(u"ababab")},
      {"REPT", {S(u"x"), -1.0}, E(kValue)},
      {"REPT", {S(u"xy"), 20000.0}, E(kValue)},
      {"EXACT", {S(u"a"), S(u"A")}, kFalse},
      {"EXACT", {1.0, S(u"1")}, kTrue},
      {"VALUE", {S(u"1,234.5")}, 1234.5},
      {"VALUE", {S(u" 12% ")}, 0.12},
      {"VALUE", {S(u"$5")}, 5.0},
      {"VALUE", {S(u"1 1/2")}, 1.5},
      {"VALUE", {S(u"1/2/2024")}, 45293.0},
      {"VALUE", {S(u"6:00")}, 0.25},
      {"VALUE", {S(u"abc")}, E(kValue)},
      {"VALUE", {kTrue}, E(kValue)},
      {"TEXT", {1234.567, S(u"#,##0.00")}, S(u"1,234.57")},
      {"TEXT", {0.25, S(u"0%")}, S(u"25%")},
      {"TEXT", {45293.0, S(u"yyyy-mm-dd")}, S(u"2024-01-02")},
      {"TEXT", {0.5, S(u"h:mm")}, S(u"12:00")},
      {"TEXT", {-5.0, S(u"0.0;(0.0)")}, S(u"(5.0)")},
      {"TEXT", {-5.0, S(u"0.0")}, S(u"-5.0")},
      {"TEXT", {0.0, S(u"0;-0;\"zero\"")}, S(u"zero")},
      {"TEXT", {1234.5, S(u"0.00E+00")}, S(u"1.23E+03")},
      {"TEXT", {3.0, S(u"00")}, S(u"03")},
      {"TEXT", {2.5, S(u"#.##")}, S(u"2.5")},
      {"TEXT", {12.0, S(u"\"No. \"0")}, S(u"No. 12")},
      {"TEXT", {S(u"abc"), S(u"0")}, S(u"abc")},
      {"TEXT", {S(u"4"), S(u"0.0")}, S(u"4.0")},
      {"TEXT", {1.0 / 3, S(u"General")}, S(u"0.333333333333333")},
      {"FIXED", {1234.567}, S(u"1,234.57")},
      {"FIXED", {1234.567, 1.0, kTrue}, S(u"1234.6")},
      {"FIXED", {-1234.567, -2.0}, S(u"-1,200")},
      {"FIXED", {-0.001, 2.0}, S(u"0.00")},
      {"DOLLAR", {1234.567}, S(u"$1,234.57")},
      {"DOLLAR", {-0.5}, S(u"($0.50)")},
      {"DOLLAR", {1234.0, 0.0}, S(u"$1,234")},
      {"CHAR", {65.0}, S(u"A")},
      {"CHAR", {128.0}, S(u"\u20ac")},
      {"CHAR", {233.0}, S(u"\u00e9")},
      {"CHAR", {0.0}, E(kValue)},
      {"CHAR", {256.0}, E(kValue)},
      {"CODE", {S(u"Abc")}, 65.0},
      {"CODE", {S(u"\u20ac")}, 128.0},
      {"CODE", {S(u"")}, E(kValue)},
      {"T", {S(u"a")}, S(u"a")},
      {"T", {1.0}, S(u"")},
      {"T", {R("B5")}, E(kDiv0)},
      {"N", {kTrue}, 1.0},
      {"N", {S(u"7")}, 0.0},
      {"N", {R("A3")}, 3.0},
  });
}

// Dates in both systems: 1900 with its day 0 and its 29 February, 1904 from day 0; parts
// rounded to the second; running over months and days; texts read as typed dates.
TEST(FormulaFunctions, DatesAndTimesCountInTheWorkbooksSystem) {
  check({
      {"DATE", {2024.0, 1.0, 2.0}, 45293.0},
      {"DATE", {1900.0, 2.0, 29.0}, 60.0},
      {"DATE", {1900.0, 3.0, 1.0}, 61.0},
      {"DATE", {1900.0, 1.0, 0.0}, 0.0},
      {"DATE", {2024.0, 14.0, 1.0}, 45689.0},
      {"DATE", {2024.0, 1.0, 0.0}, 45291.0},
      {"DATE", {2024.0, 0.0, 1.0}, 45261.0},
      {"DATE", {99.0, 1.0, 1.0}, 36161.0},
      {"DATE", {-1.0, 1.0, 1.0}, E(kNum)},
      {"DATE", {10000.0, 1.0, 1.0}, E(kNum)},
      {"DATE", {1900.0, 1.0, -1.0}, E(kNum)},
      {"TIME", {12.0, 0.0, 0.0}, 0.5},
      {"TIME", {25.0, 0.0, 0.0}, 1.0 / 24},
      {"TIME", {0.0, 90.0, 0.0}, 0.0625},
      {"TIME", {0.0, -1.0, 0.0}, E(kNum)},
      {"YEAR", {60.0}, 1900.0},
      {"MONTH", {60.0}, 2.0},
      {"DAY", {60.0}, 29.0},
      {"DAY", {61.0}, 1.0},
      {"DAY", {0.0}, 0.0},
      {"MONTH", {0.0}, 1.0},
      {"YEAR", {45293.75}, 2024.0},
      {"YEAR", {S(u"2024-03-05")}, 2024.0},
      {"MONTH", {-1.0}, E(kNum)},
      {"YEAR", {3e6}, E(kNum)},
      {"HOUR", {0.75}, 18.0},
      {"MINUTE", {12.5 / 24}, 30.0},
      {"SECOND", {(3600.0 + 120 + 3) / 86400}, 3.0},
      {"SECOND", {(59.6) / 86400}, 0.0},
      {"MINUTE", {(59.6) / 86400}, 1.0},
      {"HOUR", {0.999999999}, 0.0},
      {"HOUR", {S(u"6:30 PM")}, 18.0},
      {"WEEKDAY", {45293.0}, 3.0},
      {"WEEKDAY", {45293.0, 2.0}, 2.0},
      {"WEEKDAY", {45293.0, 3.0}, 1.0},
      {"WEEKDAY", {1.0}, 1.0},
      {"WEEKDAY", {0.0}, 7.0},
      {"WEEKDAY", {45293.0, 4.0}, E(kNum)},
      {"NOW", {}, 46000.75},
      {"TODAY", {}, 46000.0},
      {"DAYS360", {45322.0, 45382.0}, 60.0},
      {"DAYS360", {45292.0, 45322.0}, 30.0},
      {"DAYS360", {45351.0, 45382.0}, 30.0},
      {"DAYS360", {45351.0, 45382.0, kTrue}, 31.0},
      {"DAYS360", {45382.0, 45292.0}, -89.0},
      {"DATEVALUE", {S(u"1/2/2024")}, 45293.0},
      {"DATEVALUE", {S(u"2024-01-02 18:00")}, 45293.0},
      {"DATEVALUE", {S(u"Mar 5")}, 45721.0},
      {"DATEVALUE", {45293.0}, E(kValue)},
      {"DATEVALUE", {S(u"x")}, E(kValue)},
      {"TIMEVALUE", {S(u"6:00 PM")}, 0.75},
      {"TIMEVALUE", {S(u"2024-01-02 06:00")}, 0.25},
      {"EDATE", {45322.0, 1.0}, 45351.0},
      {"EDATE", {45293.0, -12.0}, 44928.0},
      {"EOMONTH", {45293.0, 0.0}, 45322.0},
      {"EOMONTH", {45293.0, -1.0}, 45291.0},
      {"EDATE", {-1.0, 1.0}, E(kNum)},
      {"DATE", {1904.0, 1.0, 1.0}, 0.0, true},
      {"DATE", {2024.0, 1.0, 2.0}, 45293.0 - 1462, true},
      {"DATE", {1900.0, 3.0, 1.0}, E(kNum), true},
      {"YEAR", {0.0}, 1904.0, true},
      {"DAY", {0.0}, 1.0, true},
      {"WEEKDAY", {0.0}, 6.0, true},
      {"NOW", {}, 46000.75 - 1462, true},
      {"DATEVALUE", {S(u"1/2/2024")}, 45293.0 - 1462, true},
      {"EOMONTH", {0.0, 1.0}, 59.0, true},
  });
}

// Every function of the list is computed, under the number the format's table gives it
// (checked against xlrd's table of function numbers, an independent reader, as is the
// engine's one table of functions the evaluator and the compiler use), and a function the
// engine does not compute has no implementation.
TEST(FormulaFunctions, RegistryHasEveryListedFunctionUnderItsFileNumber) {
  std::string script =
      "import xlrd.formula as f\n"
      "for k, v in sorted(f.func_defs.items()): print(v[0], k, v[1], v[2])\n";
  const std::string command = "/usr/bin/python3 -c '" + script + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::map<std::string, int> xlrd_numbers;
  std::map<int, std::pair<int, int>> xlrd_counts;
  char name[64];
  int number = 0, least = 0, most = 0;
  while (std::fscanf(pipe, "%63s %d %d %d", name, &number, &least, &most) == 4) {
    xlrd_numbers[name] = number;
    xlrd_counts[number] = {least, most};
  }
  ASSERT_EQ(pclose(pipe), 0) << "python3-xlrd is part of the test packages";
  for (const auto& function : function_names()) {
    EXPECT_EQ(xlrd_numbers.at(function), function_number(function)) << function;
    const auto* info = xls::formula::function_by_number(function_number(function));
    ASSERT_NE(info, nullptr) << function;
    EXPECT_EQ(info->name, function) << function_number(function);
    EXPECT_EQ(info->max_arguments, xlrd_counts.at(function_number(function)).second) << function;
    EXPECT_NE(xls::formula::function_implementation(function_number(function)), nullptr)
        << function;
  }
  EXPECT_EQ(function_names().size(), 115u);
  for (const char* other : {"NPV", "PMT", "FACT", "TRANSPOSE", "CELL", "DSUM"}) {
    EXPECT_EQ(
        xls::formula::function_implementation(static_cast<std::uint16_t>(xlrd_numbers.at(other))),
        nullptr)
        << other;
  }
  EXPECT_EQ(xls::formula::function_implementation(400), nullptr);
  EXPECT_EQ(xls::formula::add_in_implementation(u"NETWORKDAYS"), nullptr);
}

}  // namespace
}  // namespace xls_test
