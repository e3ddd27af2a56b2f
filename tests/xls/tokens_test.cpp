// The formula token walker: one token array per family of tokens, in hex with a comment per
// token; walked, its tokens give back every byte in order, each with its own size and its
// part of the extra data. Damaged arrays are not walked. The translation of relative
// references is checked by its outcomes in the workbook tests (shared formulas).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "biff_fixture.h"
#include "xls/formula/tokens.h"

namespace xls_test {
namespace {

namespace ptg = xls::formula::ptg;

struct Family {
  const char* name;
  std::string tokens, extra;
  std::vector<std::uint8_t> bases;  // of each token, in order
  friend void PrintTo(const Family& value, std::ostream* out) { *out << value.name; }
};

const Family kFamilies[] = {
    {"constants_and_operators",
     // PtgInt 1, PtgNum 1.5, PtgAdd, PtgParen, PtgUminus, PtgPercent, PtgErr #N/A,
     // PtgBool TRUE, PtgMissArg, PtgStr "abc" (compressed), PtgStr "AB" (two-byte)
     hex("1E0100 1F000000000000F83F 03 15 13 14 1C2A 1D01 16 170300616263 1702014100 4200"),
     "",
     {ptg::kInt, ptg::kNum, ptg::kAdd, ptg::kParen, ptg::kUminus, ptg::kPercent, ptg::kErr,
      ptg::kBool, ptg::kMissArg, ptg::kStr, ptg::kStr}},
    {"references",
     // PtgRef B2 relative; PtgAreaV A1:B2 (value class); PtgRefN one row down; PtgAreaN;
     // PtgRefErr; PtgAreaErrA (array class)
     hex("24 0100 01C0 45 0000 0100 00C0 01C0 2C 0100 00C0 2D 0000 0100 00C0 00C0 2A 00000000 "
         "6B 0000000000000000"),
     "",
     {ptg::kRef, ptg::kArea, ptg::kRefN, ptg::kAreaN, ptg::kRefErr, ptg::kAreaErr}},
    {"other_sheets_and_names",
     // PtgRef3d entry 1, C3 fixed; PtgArea3d entry 0, A1:A9; PtgRefErr3d; PtgAreaErr3d;
     // PtgNameX entry 2, name 1; PtgName 3
     hex("3A 0100 0200 0200 3B 0000 0000 0800 0000 0000 3C 0000 00000000 3D 0000 0000000000000000 "
         "39 0200 01000000 23 03000000"),
     "",
     {ptg::kRef3d, ptg::kArea3d, ptg::kRefErr3d, ptg::kAreaErr3d, ptg::kNameX, ptg::kName}},
    {"functions_and_control",
     // PtgFuncV 15 (SIN); PtgFuncVarV 2 arguments of 4 (SUM); PtgAttr sum; PtgAttr if (skip
     // 7); PtgAttr choose, 2 cases: 3 offsets; PtgAttr goto 3; PtgAttr space (1 blank);
     // PtgAttr volatile; a natural-language label (PtgElfLel); PtgExp A1; PtgTbl B7
     hex("41 0F00 42 02 0400 19 10 0000 19 02 0700 19 04 0200 0600 0800 0A00 19 08 0300 "
         "19 40 0001 19 01 0000 18 01 0000 0000 01 0000 0000 02 0600 0100"),
     "",
     {ptg::kFunc, ptg::kFuncVar, ptg::kAttr, ptg::kAttr, ptg::kAttr, ptg::kAttr, ptg::kAttr,
      ptg::kAttr, ptg::kExtended, ptg::kExp, ptg::kTbl}},
    {"array_constants_and_memory_areas",
     // PtgArrayA twice, then PtgMemArea (its list in the extra data) before the tokens it
     // stands for: PtgRef A1, PtgRef B1, PtgRange
     hex("60 00000000000000 60 00000000000000 26 00000000 0B00 24 0000 0000 24 0000 0100 11"),
     // the first array: 2 columns, 1 row: the number 1.0, the string "ab"; the second: 1 x 1,
     // TRUE; the memory area: one area, A1:B1
     hex("01 0000 01 000000000000F03F 02 0200 00 6162 00 0000 04 01 00000000000000 "
         "0100 0000 0000 0000 0100"),
     {ptg::kArray, ptg::kArray, ptg::kMemArea, ptg::kRef, ptg::kRef, ptg::kRange}},
};

class TokenFamilies : public ::testing::TestWithParam<Family> {};

TEST_P(TokenFamilies, WalkGivesEveryTokenWithItsSizeAndExtraData) {
  const Family& family = GetParam();
  const auto tokens = xls::formula::walk(family.tokens, family.extra);
  ASSERT_TRUE(tokens);
  std::string bytes, extra;
  std::vector<std::uint8_t> bases;
  for (const auto& token : *tokens) {
    EXPECT_EQ(token.offset, bytes.size());
    bytes += token.bytes;
    extra += token.extra;
    bases.push_back(token.base());
  }
  EXPECT_EQ(bytes, family.tokens);
  EXPECT_EQ(extra, family.extra);
  EXPECT_EQ(bases, family.bases);
  // Cut anywhere inside the last token, or without its extra data, the array is not walked.
  for (std::size_t cut = tokens->back().offset + 1; cut < family.tokens.size(); ++cut) {
    EXPECT_FALSE(xls::formula::walk(family.tokens.substr(0, cut), family.extra)) << cut;
  }
  if (!family.extra.empty()) {
    EXPECT_FALSE(
        xls::formula::walk(family.tokens, family.extra.substr(0, family.extra.size() - 1)));
  }
}

INSTANTIATE_TEST_SUITE_P(Tokens, TokenFamilies, ::testing::ValuesIn(kFamilies),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Tokens, ReferencesReadAndResolveForTheUsingCell) {
  using xls::formula::Location;
  const auto refs = *xls::formula::walk(kFamilies[1].tokens, "");
  EXPECT_EQ(xls::formula::location_of(refs[0]), (Location{1, 1, true, true}));
  EXPECT_EQ(refs[1].operand_class(), xls::formula::OperandClass::value);
  EXPECT_EQ(xls::formula::area_of(refs[1]).last, (Location{1, 1, true, true}));
  // A relative offset of -1 row and -3 columns, used in A1, wraps to the sheet's far edges.
  const Location back{0xFFFF, 0xFD, true, true};
  EXPECT_EQ(xls::formula::relative_to(back, 0, 0), (Location{65535, 253, true, true}));
  EXPECT_EQ(xls::formula::relative_to(back, 5, 5), (Location{4, 2, true, true}));
  const auto sheets = *xls::formula::walk(kFamilies[2].tokens, "");
  EXPECT_EQ(xls::formula::sheet_reference_of(sheets[0]), 1);
  EXPECT_EQ(xls::formula::location_of(sheets[0]), (Location{2, 2, false, false}));
  // Mixed references: the column's flag is bit 14 of the column word, the row's bit 15.
  const std::string mixed_tokens =
      hex("24 0200 0340"                                     // PtgRef D$3: row fixed
          "24 0200 0380");                                   // PtgRef $D3: column fixed
  const auto mixed = *xls::formula::walk(mixed_tokens, "");  // its tokens view these bytes
  EXPECT_EQ(xls::formula::location_of(mixed[0]), (Location{2, 3, false, true}));
  EXPECT_EQ(xls::formula::location_of(mixed[1]), (Location{2, 3, true, false}));
  std::string stored;
  xls::formula::put_location(stored, Location{2, 3, false, true});
  EXPECT_EQ(stored, hex("0200 0340"));
  // An unknown token id.
  EXPECT_FALSE(xls::formula::walk(hex("1E0100 FF"), ""));
}

}  // namespace
}  // namespace xls_test
