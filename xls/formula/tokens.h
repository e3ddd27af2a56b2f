#pragma once
// A formula as the file format stores it: a token array in reverse Polish order (operands
// first, then the operators and functions that take them) and, after it, the extra data that
// array constants and memory areas keep outside the array. walk() splits both into tokens
// without judging them; the location helpers read and write the references in them;
// translate_to_cell() turns the relative references of a shared formula into those of one
// cell that uses it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xls::formula {

// Token ids. Operand and function tokens (0x20 and up) carry their operand class in bits 5
// and 6: these constants are their reference-class ids (0x20-0x3F); the value class adds
// 0x20, the array class 0x40. Token::base strips the class.
namespace ptg {
inline constexpr std::uint8_t kExp = 0x01;  // the cell is part of a shared or array formula
inline constexpr std::uint8_t kTbl = 0x02;  // the cell is part of a data table
inline constexpr std::uint8_t kAdd = 0x03;
inline constexpr std::uint8_t kSub = 0x04;
inline constexpr std::uint8_t kMul = 0x05;
inline constexpr std::uint8_t kDiv = 0x06;
inline constexpr std::uint8_t kPower = 0x07;
inline constexpr std::uint8_t kConcat = 0x08;
inline constexpr std::uint8_t kLt = 0x09;
inline constexpr std::uint8_t kLe = 0x0A;
inline constexpr std::uint8_t kEq = 0x0B;
inline constexpr std::uint8_t kGe = 0x0C;
inline constexpr std::uint8_t kGt = 0x0D;
inline constexpr std::uint8_t kNe = 0x0E;
inline constexpr std::uint8_t kIsect = 0x0F;  // the intersection operator (a blank)
inline constexpr std::uint8_t kUnion = 0x10;  // the list operator (a comma)
inline constexpr std::uint8_t kRange = 0x11;  // the range operator (a colon)
inline constexpr std::uint8_t kUplus = 0x12;
inline constexpr std::uint8_t kUminus = 0x13;
inline constexpr std::uint8_t kPercent = 0x14;
inline constexpr std::uint8_t kParen = 0x15;    // parentheses the author typed, for display
inline constexpr std::uint8_t kMissArg = 0x16;  // an argument left out: f(1,,2)
inline constexpr std::uint8_t kStr = 0x17;
inline constexpr std::uint8_t kExtended = 0x18;  // natural-language references; sub-id follows
inline constexpr std::uint8_t kAttr = 0x19;      // control and display hints; sub-id follows
inline constexpr std::uint8_t kErr = 0x1C;
inline constexpr std::uint8_t kBool = 0x1D;
inline constexpr std::uint8_t kInt = 0x1E;
inline constexpr std::uint8_t kNum = 0x1F;
inline constexpr std::uint8_t kArray = 0x20;    // an array constant, its values in the extra data
inline constexpr std::uint8_t kFunc = 0x21;     // a built-in function of fixed argument count
inline constexpr std::uint8_t kFuncVar = 0x22;  // a function with its argument count
inline constexpr std::uint8_t kName = 0x23;     // a defined name of this workbook
inline constexpr std::uint8_t kRef = 0x24;
inline constexpr std::uint8_t kArea = 0x25;
inline constexpr std::uint8_t kMemArea = 0x26;  // a precomputed reference, areas in the extra data
inline constexpr std::uint8_t kMemErr = 0x27;
inline constexpr std::uint8_t kMemNoMem = 0x28;
inline constexpr std::uint8_t kMemFunc = 0x29;
inline constexpr std::uint8_t kRefErr = 0x2A;  // a reference to a deleted cell (#REF!)
inline constexpr std::uint8_t kAreaErr = 0x2B;
inline constexpr std::uint8_t kRefN = 0x2C;   // relative parts are offsets from the using cell
inline constexpr std::uint8_t kAreaN = 0x2D;  // the same for an area
inline constexpr std::uint8_t kNameX = 0x39;  // a name of another sheet, workbook or add-in
inline constexpr std::uint8_t kRef3d = 0x3A;  // a reference to a cell of another sheet
inline constexpr std::uint8_t kArea3d = 0x3B;
inline constexpr std::uint8_t kRefErr3d = 0x3C;
inline constexpr std::uint8_t kAreaErr3d = 0x3D;
}  // namespace ptg

// Sub-ids of kAttr tokens: bits of the byte after the id.
namespace attr {
inline constexpr std::uint8_t kVolatile = 0x01;  // the formula recomputes on every change
inline constexpr std::uint8_t kIf = 0x02;        // skips the false branch of IF
inline constexpr std::uint8_t kChoose = 0x04;    // a jump table for CHOOSE
inline constexpr std::uint8_t kGoto = 0x08;      // skips to the end of an IF or CHOOSE branch
inline constexpr std::uint8_t kSum = 0x10;       // SUM of one argument
inline constexpr std::uint8_t kBaxcel = 0x20;    // an assignment of an old macro sheet
inline constexpr std::uint8_t kSpace = 0x40;     // blanks or line breaks the author typed
}  // namespace attr

enum class OperandClass : std::uint8_t { none, reference, value, array };

struct Token {
  std::uint8_t id = 0;     // as stored, with its operand class
  std::string_view bytes;  // the whole token, its id included
  std::string_view extra;  // its part of the extra data (array constant, memory area)
  std::size_t offset = 0;  // where it starts in the token array

  // The id without its operand class: one of the ptg constants.
  std::uint8_t base() const {
    return id < 0x20 ? id : static_cast<std::uint8_t>((id & 0x1F) | 0x20);
  }
  OperandClass operand_class() const {
    return id < 0x20 ? OperandClass::none : static_cast<OperandClass>((id >> 5) & 0x03);
  }
};

// The tokens of a token array and its extra data, in order. Empty when a token is unknown
// or cut short, or the extra data does not hold what the tokens need; extra data left over
// is allowed (some writers pad it).
std::optional<std::vector<Token>> walk(std::string_view tokens, std::string_view extra);

// A cell as a reference token stores it: row and column from 0, each either fixed ($A$1)
// or relative (A1). In a relative token of a shared formula or defined name (kRefN, kAreaN,
// and every reference of such a formula) the relative parts are offsets from the using
// cell, stored modulo 65536 (rows) and 256 (columns).
struct Location {
  std::uint16_t row = 0;
  std::uint8_t column = 0;
  bool row_relative = false;
  bool column_relative = false;

  bool operator==(const Location&) const = default;
};

// An area as its two corners.
struct AreaLocation {
  Location first, last;
  bool operator==(const AreaLocation&) const = default;
};

// The location a stored one means in the cell (row, column): relative parts are added as
// offsets, wrapping at the sheet's edges as the application does; fixed parts stay.
Location relative_to(Location stored, std::uint16_t row, std::uint8_t column);

// Of a cell-reference token (kRef, kRefN, kRefErr, kRef3d, kRefErr3d): its location; of an
// area token (kArea, kAreaN, kAreaErr, kArea3d, kAreaErr3d): its corners. The token must be
// of that kind and whole (walk() checks sizes).
Location location_of(const Token& token);
AreaLocation area_of(const Token& token);
// Of a 3-D token (kRef3d, kArea3d, kRefErr3d, kAreaErr3d, kNameX): its entry in the
// workbook's table of sheet references (EXTERNSHEET).
std::uint16_t sheet_reference_of(const Token& token);

// The token array of the cell (row, column) that uses the shared formula `tokens`: kRefN
// and kAreaN become kRef and kArea (same class) at the cells they mean there, and the
// relative parts of 3-D references are resolved the same way; every other byte is kept, so
// the extra data stays valid. Empty when the tokens cannot be walked.
std::optional<std::string> translate_to_cell(std::string_view tokens, std::string_view extra,
                                             std::uint16_t row, std::uint8_t column);

// Appends a location in the stored form: row, then column with the relative flags.
void put_location(std::string& out, const Location& location);
// Appends an area in the stored form: both rows, then both columns with their flags.
void put_area(std::string& out, const AreaLocation& area);

}  // namespace xls::formula
