// The formula evaluator on token arrays in hex (a comment per token) with a fake workbook:
// operators on every kind of value, references by operand class, other sheets and names,
// and the formulas it declines to compute.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "biff_fixture.h"
#include "xls/formula/evaluator.h"

namespace xls_test {
namespace {

using namespace xls::formula;

// Sheet 0 ("Data"): A1 2, A2 "x", A3 blank, B1 TRUE, B2 #N/A, B3 "7"; sheet 1 ("Other"): A1 40.
// Formulas are computed in C2 of sheet 0.
class FakeWorkbook final : public Context {
 public:
  Value cell(std::uint16_t sheet, std::uint16_t row, std::uint16_t column) override {
    const auto found = cells_.find({sheet, row, column});
    return found != cells_.end() ? found->second : Value{Blank{}};
  }
  std::uint16_t sheet() const override { return 0; }
  std::uint16_t row() const override { return 1; }
  std::uint16_t column() const override { return 2; }
  bool date1904() const override { return false; }
  double now() const override { return 45000.5; }
  double random() override { return 0.25; }
  std::optional<std::uint16_t> sheet_named(std::u16string_view name) const override {
    if (name == u"Data") return 0;
    if (name == u"Other") return 1;
    return std::nullopt;
  }
  std::u16string sheet_name(std::uint16_t sheet) const override {
    return sheet == 0 ? u"Data" : u"Other";
  }

 private:
  std::map<std::tuple<int, int, int>, Value> cells_{
      {{0, 0, 0}, 2.0},  {{0, 1, 0}, u"x"}, {{0, 0, 1}, true}, {{0, 1, 1}, Error{ErrorCode::na}},
      {{0, 2, 1}, u"7"}, {{1, 0, 0}, 40.0}};
};

// EXTERNSHEET entry 0 is this workbook's sheet 1, entry 1 another workbook, entry 2 the span
// of sheets 0 and 1, entry 3 the add-ins (whose name 1 is EDATE). Name 1 is
// Other!$A$1, name 2 the cell left of the using one (relative, as names store it).
class FakeNames final : public FormulaNames {
 public:
  FakeNames() {
    other_a1_.name = u"Start";
    other_a1_.tokens = hex("3A 0000 0000 0000");  // PtgRef3d entry 0, $A$1
    left_.name = u"Left";
    left_.tokens = hex("2C 0000 FFC0");  // PtgRefN same row, column -1
  }
  std::optional<SheetSpan> sheets(std::uint16_t reference) const override {
    if (reference == 0) return SheetSpan{1, 1};
    if (reference == 2) return SheetSpan{0, 1};
    return std::nullopt;
  }
  std::optional<SheetReference> sheet_reference(std::uint16_t) const override {
    return std::nullopt;
  }
  const DefinedName* name(std::uint16_t index) const override {
    if (index == 1) return &other_a1_;
    if (index == 2) return &left_;
    return nullptr;
  }
  std::optional<ExternalName> external_name(std::uint16_t reference,
                                            std::uint16_t index) const override {
    if (reference == 3 && index == 1) return ExternalName{u"edate", true};
    if (reference == 1 && index == 1) return ExternalName{u"Kurs", false};
    return std::nullopt;
  }

 private:
  DefinedName other_a1_, left_;
};

struct Case {
  const char* name;
  std::string tokens;
  Value expected;  // as the cell shows it (cell_result)
  std::string extra = "";
  bool array_formula = false;
  friend void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }
};

Value computed(const Case& c) {
  FakeWorkbook workbook;
  FakeNames names;
  return cell_result(evaluate({c.tokens, c.extra, c.array_formula}, workbook, names), workbook);
}

std::string describe(const Value& value) {
  switch (value.index()) {
    case 0:
      return "blank";
    case 1:
      return "number " + std::to_string(std::get<double>(value));
    case 2:
      return "text '" +
             std::string(std::get<std::u16string>(value).begin(),
                         std::get<std::u16string>(value).end()) +
             "'";
    case 3:
      return std::get<bool>(value) ? "TRUE" : "FALSE";
    case 4:
      return "error " + std::to_string(static_cast<int>(std::get<Error>(value).code));
    default:
      return "reference or array";
  }
}

class Operators : public ::testing::TestWithParam<Case> {};

// PtgInt 1E, PtgNum 1F, PtgStr 17 (length, flags, characters), PtgBool 1D, PtgErr 1C; the
// operators 03 + ... 0E <>, 12-14 unary plus, minus, percent.
const Case kOperators[] = {
    {"add", hex("1E0100 1E0200 03"), 3.0},
    {"text_that_reads_as_a_number", hex("1703 00 203132 1E0200 05"), 24.0},  // " 12"*2
    {"thousands_separator_and_percent", hex("1707 00 312C3030302520 1E0100 03"),
     11.0},                                                 // "1,000% "+1
    {"time_text", hex("1704 00 363A3030 1E0400 05"), 1.0},  // "6:00"*4
    {"boolean_as_number", hex("1D01 1E0100 03"), 2.0},
    {"blank_as_zero", hex("44 0200 0000 1E0500 03"), 5.0},  // A3+5
    {"other_text_is_value_error", hex("1703 00 616263 1E0100 03"), Error{ErrorCode::value}},
    {"left_error_first", hex("1C2A 1C07 03"), Error{ErrorCode::na}},
    {"division_by_zero", hex("1E0100 1E0000 06"), Error{ErrorCode::div0}},
    {"power", hex("1E0200 1E0A00 07"), 1024.0},
    {"zero_to_the_zero", hex("1E0000 1E0000 07"), Error{ErrorCode::num}},
    // (-8)^(1/3): no real root in the application
    {"negative_base_fraction", hex("1E0800 13 1E0100 1E0300 06 07"), Error{ErrorCode::num}},
    {"overflow", hex("1F A0C8EB85F3CCE17F 1E0A00 05"), Error{ErrorCode::num}},  // 1E308*10
    // 0.3-0.2-0.1 cancels to exactly 0
    {"cancelling_difference",
     hex("1F 333333333333D33F 1F 9A9999999999C93F 04 "
         "1F 9A9999999999B93F 04"),
     0.0},
    {"percent", hex("1E3200 14"), 0.5},
    {"minus_text", hex("1701 00 32 13"), -2.0},
    {"plus_keeps_text", hex("1703 00 616263 12"), Value{u"abc"}},
    {"concat_number_general", hex("1E0100 1E0300 06 1700 00 08"),
     Value{u"0.333333333333333"}},  // 1/3&""
    {"concat_boolean", hex("1701 00 61 1D01 08"), Value{u"aTRUE"}},
    {"concat_error", hex("1701 00 61 1C07 08"), Error{ErrorCode::div0}},
    {"equal_to_15_digits",
     hex("1F 9A9999999999B93F 1F 9A9999999999C93F 03 "
         "1F 333333333333D33F 0B"),
     true},                                                     // 0.1+0.2=0.3
    {"number_before_text", hex("1E6400 1701 00 61 09"), true},  // 100<"a"
    {"text_before_boolean", hex("1701 00 7A 1D00 09"), true},   // "z"<FALSE
    {"text_without_case", hex("1703 00 616263 1703 00 414243 0B"), true},
    {"blank_equals_empty_text", hex("44 0200 0000 1700 00 0B"), true},
    {"blank_equals_false", hex("44 0200 0000 1D00 0B"), true},
    {"not_equal", hex("1E0100 1E0200 0E"), true},
    {"greater_or_equal", hex("1701 00 62 1701 00 61 0C"), true},
};

TEST_P(Operators, ComputeAsTheApplication) {
  const Case& c = GetParam();
  EXPECT_EQ(describe(computed(c)), describe(c.expected));
  EXPECT_EQ(computed(c), c.expected);
}
INSTANTIATE_TEST_SUITE_P(Values, Operators, ::testing::ValuesIn(kOperators),
                         [](const auto& test) { return std::string(test.param.name); });

class References : public ::testing::TestWithParam<Case> {};

// PtgRef 24/44/64 (reference, value, array class), PtgArea 25/45/65, PtgRef3d 3A/5A,
// PtgName 23/43, range 11, intersection 0F, PtgArray 40 with its values in the extra data.
const Case kReferences[] = {
    {"cell", hex("44 0000 0000"), 2.0},                                    // =A1
    {"blank_cell_shows_zero", hex("44 0200 0000"), 0.0},                   // =A3
    {"column_meets_the_row", hex("45 0000 0200 0000 0000"), Value{u"x"}},  // =A1:A3 in C2
    {"row_meets_the_column", hex("45 0400 0400 0000 0500"), 0.0},          // =A5:F5 → C5
    {"rectangle_in_value_position", hex("45 0000 0200 0000 0100"), Error{ErrorCode::value}},
    {"column_outside_the_row", hex("45 0400 0600 0000 0000"), Error{ErrorCode::value}},
    {"reference_result_meets_the_row", hex("25 0000 0200 0100 0100"), Error{ErrorCode::na}},
    {"range_operator", hex("24 0000 0100 24 0200 0100 11"), Error{ErrorCode::na}},  // B1:B3
    {"intersection", hex("25 0000 0200 0000 0100 25 0100 0300 0100 0200 0F"),
     Error{ErrorCode::na}},  // A1:B3 B2:C4
    {"intersection_empty", hex("24 0000 0000 24 0100 0100 0F"), Error{ErrorCode::null}},
    {"array_class_makes_an_array", hex("65 0000 0200 0000 0000 1E0A00 03"), 12.0},
    {"array_formula_reads_ranges_as_arrays", hex("45 0000 0100 0000 0000 1E0100 03"), 3.0, "",
     true},                                                       // {=A1:A2+1}
    {"other_sheet", hex("5A 0000 0000 0000 1E0200 03"), 42.0},    // Other!A1+2
    {"name_of_other_sheet", hex("43 01000000 1E0100 03"), 41.0},  // Start+1
    {"relative_name", hex("43 02000000"), Error{ErrorCode::na}},  // Left: B2 from C2
    {"array_constant", hex("40 00000000000000 1E0100 03"), 2.0,
     hex("01 0000 01 000000000000F03F 02 0100 00 61")},  // {1,"a"}+1
    {"array_constant_text", hex("40 00000000000000 1E0100 03"), Error{ErrorCode::value},
     hex("00 0000 02 0100 00 61")},  // {"a"}+1
    {"reference_error", hex("2A 00000000"), Error{ErrorCode::ref}},
    {"parentheses", hex("1E0500 15"), 5.0},
};

TEST_P(References, ReadCellsByOperandClass) {
  const Case& c = GetParam();
  EXPECT_EQ(describe(computed(c)), describe(c.expected));
}
INSTANTIATE_TEST_SUITE_P(Cells, References, ::testing::ValuesIn(kReferences),
                         [](const auto& test) { return std::string(test.param.name); });

class Calls : public ::testing::TestWithParam<Case> {};

// PtgFunc 21/41 (number), PtgFuncVar 22/42 (argument count, number), PtgAttr 19 (sum 10, if
// 02, goto 08, with their offsets), PtgNameX 39 (entry, name index) before function 255.
const Case kCalls[] = {
    {"fixed_argument_count", hex("1E0500 13 41 1800"), 5.0},  // ABS(-5)
    {"variable_count_reference_argument", hex("25 0000 0200 0000 0000 1E0300 42 02 0400"),
     5.0},                                                        // SUM(A1:A3,3)
    {"attr_sum", hex("25 0000 0200 0000 0000 19 10 0000"), 2.0},  // SUM(A1:A3)
    {"if_with_its_jumps",
     hex("44 0000 0100 19 02 0700 1E0100 19 08 0700 1E0200 19 08 0300 "
         "42 03 0100"),
     1.0},  // IF(B1,1,2)
    {"reference_result_meets_the_row", hex("25 0000 0200 0000 0000 1E0200 22 02 1D00"),
     Value{u"x"}},  // INDEX(A1:A3,2)
    {"add_in_by_name", hex("39 0300 01000000 1F 0000000000F9E540 1E0100 42 03 FF00"),
     45031.0},  // EDATE(45000,1)
};

TEST_P(Calls, PassArgumentsAsTheirTokensLeftThem) {
  const Case& c = GetParam();
  EXPECT_EQ(describe(computed(c)), describe(c.expected));
}
INSTANTIATE_TEST_SUITE_P(Functions, Calls, ::testing::ValuesIn(kCalls),
                         [](const auto& test) { return std::string(test.param.name); });

class Declined : public ::testing::TestWithParam<Case> {};

const Case kDeclined[] = {
    {"another_workbook", hex("5A 0100 0000 0000"), Blank{}},  // entry 1
    {"undefined_name", hex("43 09000000"), Blank{}},
    {"name_of_another_workbook", hex("39 0100 01000000 1E0100 42 02 FF00"), Blank{}},
    {"function_without_implementation", hex("1E0100 1E0200 42 02 0B00"), Blank{}},  // NPV
    {"union_of_references", hex("24 0000 0000 24 0100 0100 10"), Blank{}},
    {"natural_language_label", hex("18 01 0000 0000"), Blank{}},
    {"operator_without_operands", hex("03"), Blank{}},
    {"two_values_left", hex("1E0100 1E0200"), Blank{}},
    {"unreadable_tokens", hex("1F 0000"), Blank{}},
};

TEST_P(Declined, AreNotComputed) {
  EXPECT_THROW(computed(GetParam()), NotComputable);
}
INSTANTIATE_TEST_SUITE_P(Formulas, Declined, ::testing::ValuesIn(kDeclined),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace xls_test
