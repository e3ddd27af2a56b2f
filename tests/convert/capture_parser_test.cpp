// Splitting captures into blocks and fields: the framing bytes, what survives them, and
// what is never looked at.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion_harness.h"
#include "convert/block_table.h"
#include "convert/capture_parser.h"

namespace schreiber::convert {
namespace {

using testing::bytes;
using Rows = std::vector<std::vector<std::string>>;

struct ParseCase {
  const char* name;
  std::string capture;
  std::int16_t blocks_closed;
  Rows rows;  // the stored fields of every row

  friend void PrintTo(const ParseCase& c, std::ostream* out) { *out << c.name; }
};

std::string with_stx(const std::string& label, const std::string& content) {
  return label + '\x02' + content;
}

class CaptureParser : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CaptureParser, FillsTheTable) {
  const ParseCase& c = GetParam();
  BlockTable table(100);
  EXPECT_EQ(fill_block_table(c.capture, table), c.blocks_closed);
  ASSERT_EQ(table.block_bound(), c.blocks_closed) << "a row for every block index reached";
  for (std::size_t row = 0; row < c.rows.size(); ++row) {
    const auto block = static_cast<std::int32_t>(row);
    ASSERT_EQ(table.stored_fields(block), static_cast<std::int32_t>(c.rows[row].size()))
        << "row " << row;
    for (std::size_t field = 0; field < c.rows[row].size(); ++field) {
      EXPECT_EQ(table.at(block, static_cast<std::int32_t>(field)), c.rows[row][field])
          << "row " << row << " field " << field;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Captures, CaptureParser,
    ::testing::Values(
        ParseCase{"BytesOutsideBlocksIgnoredSohIncluded",
                  bytes("61 01 4C 02 62"  // before the first DC1
                        "11 02 63"        // DC1 STX c
                        "13 00"           // DC3 and its byte
                        "64 01 4E 02 65"  // between blocks
                        "11 02 66"),      // DC1 STX f: the label is still empty
                  1,
                  {{with_stx("", "c")}, {with_stx("", "f")}}},
        ParseCase{"BytesOfAnOpenBlockBeforeSohOrStxIgnored",
                  bytes("11 61 62"       // DC1, then a b before any STX
                        "02 63 13 00"),  // STX c DC3
                  1,
                  {{with_stx("", "c")}}},
        ParseCase{"DC1AfterDC3IsConsumedUnseen",
                  bytes("11 02 61 13"  // block 0, DC3
                        "11 02 62"     // consumed DC1: "STX b" falls outside
                        "13 00"        // DC3 closes the empty block 1
                        "11 02 63"),   // block 2
                  2,
                  {{with_stx("", "a")}, {}, {with_stx("", "c")}}},
        ParseCase{"DC3AfterDC3IsConsumedUnseen",
                  bytes("11 02 61 13 13"  // the second DC3 is the consumed byte
                        "11 02 62 13 00"),
                  2,
                  {{with_stx("", "a")}, {with_stx("", "b")}, {}}},
        ParseCase{"DC3AsTheLastByte", bytes("11 02 61 62 13"), 1, {{with_stx("", "ab")}, {}}},
        ParseCase{"DC1InsideAnOpenBlockRewritesFromFieldZero",
                  bytes("11 01 41 02 61"  // A: a
                        "01 42 02 62"     // B: b
                        "01 43 02 63"     // C: c
                        "11 02 78"        // DC1, STX x with the label C
                        "13 00"),
                  1,
                  {{with_stx("C", "x"), with_stx("B", "b"), with_stx("C", "c")}, {}}},
        ParseCase{
            "StxWithoutSohTakesTheEarlierLabel",
            bytes("11 02 7A"           // no SOH yet: empty label
                  "01 4C 02 61 13 00"  // label L
                  "11 02 62 02 63"),   // next block, no SOH
            1,
            {{with_stx("", "z"), with_stx("L", "a")}, {with_stx("L", "b"), with_stx("L", "c")}}},
        ParseCase{"EmptyFields",
                  bytes("11 01 4C 02 02"  // L:, L:
                        "01 02 13 00"),   // SOH STX: empty label, empty field
                  1,
                  {{with_stx("L", ""), with_stx("L", ""), with_stx("", "")}, {}}},
        ParseCase{"SohInsideAFieldStartsTheNextLabel",
                  bytes("11 02 61 62"       // STX a b
                        "01 4C 4D 02 63"),  // SOH LM STX c
                  0,
                  {{with_stx("", "ab"), with_stx("LM", "c")}}},
        ParseCase{"ControlAndHighBytesAreCharacters",
                  bytes("11 01 00 03 14 FF"        // label NUL ETX DC4 0xFF
                        "02 03 00 14 80 FE 12 04"  // field content
                        "13 00"),
                  1,
                  {{with_stx(std::string("\0\x03\x14\xFF", 4),
                             std::string("\x03\0\x14\x80\xFE\x12\x04", 7))},
                   {}}},
        ParseCase{"NoDC3LeavesEverythingInRowZero",
                  bytes("11 01 4C 02 61 02 62 01 4D 02 63"),
                  0,
                  {{with_stx("L", "a"), with_stx("L", "b"), with_stx("M", "c")}}}),
    [](const auto& test) { return test.param.name; });

TEST(MaxStxCount, IsTheRunningStxCountAtTheLastDC3) {
  struct Case {
    std::string capture;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"", 0},
      {bytes("02 02 02"), 0},        // no DC3
      {bytes("02 13 02 02"), 1},     // STX after the last DC3 do not count
      {bytes("02 02 13 02 13"), 3},  // the count runs across blocks
      {bytes("13 02 13 13"), 1},     // every DC3 byte counts, consumed or not
      {bytes("02 13 14 02 13"), 1},  // a capture stops at DC4
  };
  for (const auto& c : cases) {
    EXPECT_EQ(max_stx_count_of(c.capture), c.expected) << ::testing::PrintToString(c.capture);
  }
}

}  // namespace
}  // namespace schreiber::convert
