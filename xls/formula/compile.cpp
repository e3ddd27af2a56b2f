#include "xls/formula/compile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "xls/biff_string.h"
#include "xls/error.h"
#include "xls/formula/function_table.h"
#include "xls/formula/tokens.h"
#include "xls/little_endian.h"
#include "xls/text.h"

namespace xls::formula {

namespace {

constexpr std::size_t kMaxStringConstant = 255;
constexpr std::uint8_t kStringInArray = 0x02;

[[noreturn]] void refuse(const std::string& what) {
  throw Error(ErrorKind::refused, "The formula you typed contains an error: " + what + ".");
}

// A parsed expression before its tokens are written: operands know their kind of token, not
// yet the class it takes there.
struct Node {
  enum class Kind { plain, operand, unary, binary, percent, paren, function, add_in, ref_op };
  Kind kind = Kind::plain;
  std::string bytes;  // plain and operand tokens; an operand's id is its reference-class id
  std::string extra;  // an array constant's values
  std::uint8_t op = 0;
  const FunctionInfo* function = nullptr;
  CompileNames::NameX add_in;
  std::vector<Node> children;
  // Blanks the author typed, kept for display: before the node (its operand, function name,
  // unary operator or opening parenthesis), before its binary operator, before its ')'.
  std::uint8_t space = 0, op_space = 0, close_space = 0;
};

Node plain(std::string bytes, std::string extra = {}) {
  Node node;
  node.bytes = std::move(bytes);
  node.extra = std::move(extra);
  return node;
}

Node operand(std::string bytes) {
  Node node = plain(std::move(bytes));
  node.kind = Node::Kind::operand;
  return node;
}

bool is_letter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x80;
}
bool is_digit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool is_name_char(char16_t c) {
  return is_letter(c) || is_digit(c) || c == u'_' || c == u'.' || c == u'\\' || c == u'?';
}
char16_t upper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}
std::string narrow(std::u16string_view text) {
  return utf16_to_utf8(text);
}

std::uint8_t class_offset(char operand_class) {
  return operand_class == 'R' ? 0x00 : operand_class == 'V' ? 0x20 : 0x40;
}

class Parser {
 public:
  Parser(std::u16string_view text, CompileNames& names, std::uint16_t sheet)
      : text_(text), names_(names), sheet_(sheet) {}

  Node formula() {
    const std::size_t start = at_;
    skip_blanks();
    leading_ = spaces(start, at_);
    Node node = expression(true);
    skip_blanks();
    if (at_ < text_.size()) refuse("'" + narrow(text_.substr(at_, 1)) + "' is not expected here");
    return node;
  }
  bool is_volatile() const { return volatile_; }
  std::uint8_t leading_blanks() const { return leading_; }

 private:
  bool done() const { return at_ >= text_.size(); }
  char16_t peek(std::size_t ahead = 0) const {
    return at_ + ahead < text_.size() ? text_[at_ + ahead] : u'\0';
  }
  bool skip_blanks() {
    const std::size_t start = at_;
    while (!done() && (peek() == u' ' || peek() == u'\r' || peek() == u'\n')) ++at_;
    return at_ != start;
  }
  // The blanks (spaces) in [from, to), as a display token counts them.
  std::uint8_t spaces(std::size_t from, std::size_t to) const {
    std::size_t count = 0;
    for (std::size_t k = from; k < to; ++k) count += text_[k] == u' ';
    return static_cast<std::uint8_t>(std::min<std::size_t>(count, 255));
  }
  // Blanks before a token go with it (blanks_ counts them); without the token they stay
  // (an intersection).
  bool accept(std::u16string_view token) {
    const std::size_t start = at_;
    skip_blanks();
    if (text_.substr(at_, token.size()) != token) {
      at_ = start;
      return false;
    }
    blanks_ = spaces(start, at_);
    at_ += token.size();
    return true;
  }

  // The operator was just accepted; `next` parses its right operand.
  template <typename Next>
  Node binary(std::uint8_t op, Node left, Next next) {
    Node node;
    node.kind = Node::Kind::binary;
    node.op = op;
    node.op_space = blanks_;
    node.children.push_back(std::move(left));
    node.children.push_back(next());
    return node;
  }

  // Comparison, the lowest precedence.
  Node expression(bool union_allowed) {
    Node left = concatenation(union_allowed);
    for (;;) {
      std::uint8_t op = 0;
      if (accept(u"<>"))
        op = ptg::kNe;
      else if (accept(u"<="))
        op = ptg::kLe;
      else if (accept(u">="))
        op = ptg::kGe;
      else if (accept(u"<"))
        op = ptg::kLt;
      else if (accept(u">"))
        op = ptg::kGt;
      else if (accept(u"="))
        op = ptg::kEq;
      else
        return left;
      left = binary(op, std::move(left), [&] { return concatenation(union_allowed); });
    }
  }
  Node concatenation(bool u) {
    Node left = additive(u);
    while (accept(u"&")) left = binary(ptg::kConcat, std::move(left), [&] { return additive(u); });
    return left;
  }
  Node additive(bool u) {
    Node left = multiplicative(u);
    for (;;) {
      if (accept(u"+"))
        left = binary(ptg::kAdd, std::move(left), [&] { return multiplicative(u); });
      else if (accept(u"-"))
        left = binary(ptg::kSub, std::move(left), [&] { return multiplicative(u); });
      else
        return left;
    }
  }
  Node multiplicative(bool u) {
    Node left = power(u);
    for (;;) {
      if (accept(u"*"))
        left = binary(ptg::kMul, std::move(left), [&] { return power(u); });
      else if (accept(u"/"))
        left = binary(ptg::kDiv, std::move(left), [&] { return power(u); });
      else
        return left;
    }
  }
  Node power(bool u) {
    Node left = percent(u);
    while (accept(u"^")) left = binary(ptg::kPower, std::move(left), [&] { return percent(u); });
    return left;
  }
  Node percent(bool u) {
    Node node = unary(u);
    while (accept(u"%")) {
      Node wrapped;
      wrapped.kind = Node::Kind::percent;
      wrapped.op_space = blanks_;
      wrapped.children.push_back(std::move(node));
      node = std::move(wrapped);
    }
    return node;
  }
  Node unary(bool u) {
    if (accept(u"-") || (peek() == u'+' && accept(u"+"))) {
      Node node;
      node.kind = Node::Kind::unary;
      node.op = text_[at_ - 1] == u'-' ? ptg::kUminus : ptg::kUplus;
      node.space = blanks_;
      node.children.push_back(unary(u));
      return node;
    }
    return reference_expression(u);
  }

  // Union (only inside parentheses), intersection (a blank between references), range.
  Node reference_expression(bool union_allowed) {
    Node left = intersection();
    while (union_allowed && accept(u",")) {
      Node node;
      node.kind = Node::Kind::ref_op;
      node.op = ptg::kUnion;
      node.children.push_back(std::move(left));
      node.children.push_back(intersection());
      left = std::move(node);
    }
    return left;
  }
  Node intersection() {
    Node left = range();
    for (;;) {
      const std::size_t before = at_;
      if (!skip_blanks() || done() || !starts_operand()) {
        at_ = before;
        return left;
      }
      Node node;
      node.kind = Node::Kind::ref_op;
      node.op = ptg::kIsect;
      node.children.push_back(std::move(left));
      node.children.push_back(range());
      left = std::move(node);
    }
  }
  bool starts_operand() const {
    const char16_t c = peek();
    return is_letter(c) || is_digit(c) || c == u'$' || c == u'\'' || c == u'(' || c == u'_';
  }
  Node range() {
    Node left = primary();
    while (accept(u":")) {
      Node node;
      node.kind = Node::Kind::ref_op;
      node.op = ptg::kRange;
      node.children.push_back(std::move(left));
      node.children.push_back(primary());
      left = std::move(node);
    }
    return left;
  }

  Node primary() {
    const std::size_t start = at_;
    skip_blanks();
    const std::uint8_t space = spaces(start, at_);
    Node node = primary_after_blanks();
    node.space = space;
    return node;
  }
  Node primary_after_blanks() {
    if (done()) refuse("an operand is missing at its end");
    const char16_t c = peek();
    if (c == u'(') {
      ++at_;
      Node inner = expression(true);
      if (!accept(u")")) refuse("a closing parenthesis is missing");
      Node node;
      node.kind = Node::Kind::paren;
      node.close_space = blanks_;
      node.children.push_back(std::move(inner));
      return node;
    }
    if (c == u'"') return plain(string_token(string_literal()));
    if (c == u'#') return plain(std::string{char(ptg::kErr), char(error_literal())});
    if (c == u'{') return array_constant();
    if (is_digit(c) || c == u'.') {
      if (auto reference = try_reference(std::nullopt)) return std::move(*reference);
      return plain(number_token(number_literal()));
    }
    if (c == u'\'' || is_letter(c) || c == u'$' || c == u'_' || c == u'\\') return word();
    refuse("'" + narrow(text_.substr(at_, 1)) + "' is not expected here");
  }

  std::u16string string_literal() {
    ++at_;
    std::u16string out;
    for (;;) {
      if (done()) refuse("a text in quotation marks has no closing quotation mark");
      const char16_t c = text_[at_++];
      if (c == u'"') {
        if (peek() != u'"') return out;
        ++at_;
      }
      out += c;
    }
  }
  static std::string string_token(std::u16string_view text) {
    if (text.size() > kMaxStringConstant)
      refuse("a text in a formula holds at most 255 characters");
    std::string out{char(ptg::kStr), char(text.size())};
    const bool compressed = fits_compressed(text);
    out += char(compressed ? 0 : 1);
    append_chars(out, text, compressed);
    return out;
  }
  std::uint8_t error_literal() {
    static constexpr std::pair<std::u16string_view, std::uint8_t> kErrors[] = {
        {u"#NULL!", 0x00}, {u"#DIV/0!", 0x07}, {u"#VALUE!", 0x0F}, {u"#REF!", 0x17},
        {u"#NAME?", 0x1D}, {u"#NUM!", 0x24},   {u"#N/A", 0x2A}};
    for (const auto& [name, code] : kErrors) {
      if (text_.size() - at_ >= name.size() &&
          equal_ignoring_case(text_.substr(at_, name.size()), name)) {
        at_ += name.size();
        return code;
      }
    }
    refuse("'" + narrow(text_.substr(at_, 8)) + "' is no error value");
  }
  double number_literal() {
    std::string digits;
    const auto take = [&] {
      while (!done() && is_digit(peek())) digits += char(text_[at_++]);
    };
    take();
    if (peek() == u'.') {
      digits += char(text_[at_++]);
      take();
    }
    if ((peek() == u'E' || peek() == u'e') &&
        (is_digit(peek(1)) || ((peek(1) == u'+' || peek(1) == u'-') && is_digit(peek(2))))) {
      digits += 'E';
      ++at_;
      if (peek() == u'+' || peek() == u'-') digits += char(text_[at_++]);
      take();
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
      refuse("'" + digits + "' is no number");
    return value;
  }
  static std::string number_token(double value) {
    std::string out;
    if (value >= 0 && value <= 65535 && value == std::floor(value)) {
      out += char(ptg::kInt);
      put_u16(out, static_cast<std::uint16_t>(value));
    } else {
      out += char(ptg::kNum);
      put_f64(out, value);
    }
    return out;
  }

  Node array_constant() {
    ++at_;
    std::vector<std::vector<std::string>> rows(1);
    for (;;) {
      skip_blanks();
      rows.back().push_back(array_value());
      if (accept(u",")) continue;
      if (accept(u";")) {
        rows.emplace_back();
        continue;
      }
      if (accept(u"}")) break;
      refuse("an array constant is not closed with '}'");
    }
    for (const auto& row : rows) {
      if (row.size() != rows.front().size())
        refuse("the rows of an array constant have different lengths");
    }
    if (rows.front().size() > 256 || rows.size() > 65536)
      refuse("an array constant is larger than the sheet");
    std::string extra;
    put_u8(extra, static_cast<std::uint8_t>(rows.front().size() - 1));
    put_u16(extra, static_cast<std::uint16_t>(rows.size() - 1));
    for (const auto& row : rows) {
      for (const std::string& value : row) extra += value;
    }
    return plain(std::string(1, char(ptg::kArray + 0x40)) + std::string(7, '\0'), extra);
  }
  std::string array_value() {
    std::string out;
    const char16_t c = peek();
    if (c == u'"') {
      const std::u16string text = string_literal();
      if (text.size() > kMaxStringConstant)
        refuse("a text in a formula holds at most 255 characters");
      out += char(kStringInArray);
      put_u16(out, static_cast<std::uint16_t>(text.size()));
      const bool compressed = fits_compressed(text);
      out += char(compressed ? 0 : 1);
      append_chars(out, text, compressed);
    } else if (c == u'#') {
      out += char(0x10);
      out += char(error_literal());
      out += std::string(7, '\0');
    } else if (is_letter(c)) {
      std::u16string word;
      while (!done() && is_letter(peek())) word += text_[at_++];
      if (!equal_ignoring_case(word, u"TRUE") && !equal_ignoring_case(word, u"FALSE"))
        refuse("an array constant holds only numbers, texts, TRUE, FALSE and error values");
      out += char(0x04);
      out += char(equal_ignoring_case(word, u"TRUE") ? 1 : 0);
      out += std::string(7, '\0');
    } else {
      const bool negative = accept(u"-");
      if (!negative) accept(u"+");
      if (!is_digit(peek()) && peek() != u'.')
        refuse("an array constant holds only numbers, texts, TRUE, FALSE and error values");
      out += char(0x01);
      put_f64(out, negative ? -number_literal() : number_literal());
    }
    return out;
  }

  // A cell (A1, $A$1), a whole column (A:A) or row (1:1) area, on `externsheet` when given;
  // nothing (and nothing read) when the text there is none of them.
  std::optional<Node> try_reference(std::optional<std::uint16_t> externsheet) {
    const std::size_t start = at_;
    const auto cell = read_cell();
    if (cell && peek() == u':') {
      const std::size_t colon = at_;
      ++at_;
      if (const auto last = read_cell()) return area_node({*cell, *last}, externsheet);
      at_ = colon;
    }
    if (cell) return cell_node(*cell, externsheet);
    at_ = start;
    // Whole columns, whole rows.
    const auto column_part = [&](Location& out) {
      out.column_relative = !(peek() == u'$' && ++at_);
      std::size_t n = 0;
      std::uint32_t column = 0;
      while (n < 3 && !done() && is_letter(peek()) && peek() < 0x80) {
        column = column * 26 + (upper(text_[at_++]) - u'A' + 1);
        ++n;
      }
      if (n == 0 || column > 256) return false;
      out.column = static_cast<std::uint8_t>(column - 1);
      return true;
    };
    const auto row_part = [&](Location& out) {
      out.row_relative = !(peek() == u'$' && ++at_);
      std::uint32_t row = 0;
      std::size_t n = 0;
      while (!done() && is_digit(peek()) && n < 6) row = row * 10 + (text_[at_++] - u'0'), ++n;
      if (n == 0 || row < 1 || row > 65536) return false;
      out.row = static_cast<std::uint16_t>(row - 1);
      return true;
    };
    Location first, last;
    if (column_part(first) && peek() == u':' && ++at_ && column_part(last) &&
        !is_name_char(peek()) && peek() != u'(') {
      first.row = 0, last.row = 0xFFFF;
      first.row_relative = last.row_relative = false;  // as the application stores A:A
      return area_node({first, last}, externsheet);
    }
    at_ = start;
    if (row_part(first) && peek() == u':' && ++at_ && row_part(last) && !is_name_char(peek())) {
      first.column = 0, last.column = 0xFF;
      first.column_relative = last.column_relative = false;
      return area_node({first, last}, externsheet);
    }
    at_ = start;
    return std::nullopt;
  }
  std::optional<Location> read_cell() {
    const std::size_t start = at_;
    Location out;
    out.column_relative = !(peek() == u'$' && ++at_);
    std::uint32_t column = 0;
    std::size_t letters = 0;
    while (!done() && is_letter(peek()) && peek() < 0x80 && letters < 4) {
      column = column * 26 + (upper(text_[at_++]) - u'A' + 1);
      ++letters;
    }
    out.row_relative = !(peek() == u'$' && ++at_);
    std::uint32_t row = 0;
    std::size_t digits = 0;
    while (!done() && is_digit(peek()) && digits < 6)
      row = row * 10 + (text_[at_++] - u'0'), ++digits;
    if (letters == 0 || letters > 3 || column > 256 || digits == 0 || row < 1 || row > 65536 ||
        is_name_char(peek()) || peek() == u'(') {
      at_ = start;
      return std::nullopt;
    }
    out.column = static_cast<std::uint8_t>(column - 1);
    out.row = static_cast<std::uint16_t>(row - 1);
    return out;
  }
  static Node cell_node(const Location& at, std::optional<std::uint16_t> externsheet) {
    std::string bytes(1, char(externsheet ? ptg::kRef3d : ptg::kRef));
    if (externsheet) put_u16(bytes, *externsheet);
    put_location(bytes, at);
    return operand(std::move(bytes));
  }
  static Node area_node(AreaLocation area, std::optional<std::uint16_t> externsheet) {
    if (area.first.row > area.last.row) std::swap(area.first.row, area.last.row);
    if (area.first.column > area.last.column) std::swap(area.first.column, area.last.column);
    std::string bytes(1, char(externsheet ? ptg::kArea3d : ptg::kArea));
    if (externsheet) put_u16(bytes, *externsheet);
    put_area(bytes, area);
    return operand(std::move(bytes));
  }

  // A sheet-qualified reference, a function call, TRUE/FALSE, a defined name, or a cell.
  Node word() {
    const std::size_t start = at_;
    if (auto reference = try_reference(std::nullopt)) return std::move(*reference);
    std::u16string first_sheet;
    if (peek() == u'\'') {
      first_sheet = quoted_name();
    } else {
      while (!done() && (is_name_char(peek()) || peek() == u'$')) first_sheet += text_[at_++];
    }
    if (peek() == u':' || peek() == u'!') {
      std::u16string last_sheet = first_sheet;
      const std::size_t colon = at_;
      if (peek() == u':') {
        ++at_;
        last_sheet.clear();
        while (!done() && is_name_char(peek())) last_sheet += text_[at_++];
      }
      if (peek() == u'!') {
        ++at_;
        return sheet_reference(first_sheet, last_sheet);
      }
      at_ = colon;
    }
    if (text_[start] == u'\'') refuse("a sheet name in apostrophes must be followed by '!'");
    const std::u16string& name = first_sheet;
    if (accept(u"(")) return function_call(name);
    if (equal_ignoring_case(name, u"TRUE")) return plain(std::string{char(ptg::kBool), 1});
    if (equal_ignoring_case(name, u"FALSE")) return plain(std::string{char(ptg::kBool), 0});
    const auto index = names_.name_index(name, sheet_);
    if (!index) refuse("the name '" + narrow(name) + "' is not defined in this workbook");
    std::string bytes(1, char(ptg::kName));
    put_u16(bytes, *index);
    put_u16(bytes, 0);
    return operand(std::move(bytes));
  }
  std::u16string quoted_name() {
    ++at_;
    std::u16string out;
    for (;;) {
      if (done()) refuse("a sheet name in apostrophes has no closing apostrophe");
      const char16_t c = text_[at_++];
      if (c == u'\'') {
        if (peek() != u'\'') return out;
        ++at_;
      }
      out += c;
    }
  }
  Node sheet_reference(const std::u16string& first, const std::u16string& last) {
    std::u16string span = first;
    std::optional<std::u16string> second;
    if (last != first) second = last;
    // 'Sheet1:Sheet3'!A1 names the span inside the apostrophes.
    if (const auto colon = first.find(u':'); !second && colon != std::u16string::npos) {
      span = first.substr(0, colon);
      second = first.substr(colon + 1);
    }
    const auto a = names_.sheet_index(span);
    const auto b = second ? names_.sheet_index(*second) : a;
    if (!a || !b) {
      refuse("the workbook has no sheet named '" + narrow(!a ? span : *second) +
             "' (references to other workbooks are not taken)");
    }
    const auto entry = names_.externsheet_for({std::min(*a, *b), std::max(*a, *b)});
    if (!entry) refuse("the workbook's table of sheet references is full");
    auto reference = try_reference(*entry);
    if (!reference) refuse("a sheet name must be followed by a cell or range");
    return std::move(*reference);
  }

  Node function_call(const std::u16string& name) {
    const std::string ascii_name = narrow(name);
    Node node;
    node.kind = Node::Kind::function;
    node.function = function_by_name(ascii_name);
    if (!node.function) {
      node.function = add_in_by_name(ascii_name);
      if (!node.function)
        refuse("'" + ascii_name + "' is not a function the workbook engine knows");
      std::u16string upper_name;
      for (char16_t c : name) upper_name += upper(c);
      const auto add_in = names_.add_in_function(upper_name);
      if (!add_in) refuse("the workbook's table of sheet references is full");
      node.kind = Node::Kind::add_in;
      node.add_in = *add_in;
    }
    if (node.function->is_volatile) volatile_ = true;
    if (!accept(u")")) {
      for (;;) {
        const std::size_t before = at_;
        skip_blanks();
        const bool missing = peek() == u',' || peek() == u')';
        at_ = before;  // the blanks go with the argument
        if (missing) {
          node.children.push_back(plain(std::string(1, char(ptg::kMissArg))));
        } else {
          node.children.push_back(expression(false));
        }
        if (accept(u",")) continue;
        if (accept(u")")) {
          node.close_space = blanks_;
          break;
        }
        refuse("the arguments of " + ascii_name + " are not closed with ')'");
      }
      if (node.children.size() == 1 && node.function->max_arguments == 0 &&
          node.children[0].bytes == std::string(1, char(ptg::kMissArg))) {
        node.children.clear();
      }
    }
    const std::size_t count = node.children.size();
    if (count > kMaxArguments) {
      refuse(ascii_name + " has " + std::to_string(count) +
             " arguments; a function takes at most 30 in this file format");
    }
    if (count < node.function->min_arguments || count > node.function->max_arguments) {
      refuse(ascii_name + " takes " +
             (node.function->fixed_count() ? std::to_string(node.function->min_arguments)
                                           : std::to_string(node.function->min_arguments) + " to " +
                                                 std::to_string(node.function->max_arguments)) +
             " arguments, not " + std::to_string(count));
    }
    return node;
  }

  std::u16string_view text_;
  std::size_t at_ = 0;
  std::uint8_t blanks_ = 0, leading_ = 0;
  CompileNames& names_;
  std::uint16_t sheet_;
  bool volatile_ = false;
};

// Operand classes as the application assigns them: `desired` is what the place of the
// operand expects, `forced` says an enclosing function computes over arrays.
class Writer {
 public:
  std::string tokens, extra;

  // A display token for blanks: `type` says where they go (0 before the next token, 2 before
  // '(', 4 before ')', 6 at the start of the formula).
  void blanks(std::uint8_t type, std::uint8_t count) {
    if (count == 0) return;
    tokens += char(ptg::kAttr);
    tokens += char(attr::kSpace);
    tokens += char(type);
    tokens += char(count);
  }

  void emit(const Node& node, char desired, bool forced) {
    switch (node.kind) {
      case Node::Kind::plain:
        blanks(0, node.space);
        tokens += node.bytes;
        extra += node.extra;
        return;
      case Node::Kind::operand: {
        const char operand_class = desired == 'V' ? (forced ? 'A' : 'V') : desired;
        blanks(0, node.space);
        tokens += char(static_cast<std::uint8_t>(node.bytes[0]) + class_offset(operand_class));
        tokens.append(node.bytes, 1);
        return;
      }
      case Node::Kind::unary:
      case Node::Kind::percent:
        // Operators compute on values, or on arrays where an array is expected.
        emit(node.children[0], desired == 'R' ? 'V' : desired, forced);
        blanks(0, node.kind == Node::Kind::percent ? node.op_space : node.space);
        tokens += char(node.kind == Node::Kind::percent ? ptg::kPercent : node.op);
        return;
      case Node::Kind::binary:
        emit(node.children[0], desired == 'R' ? 'V' : desired, forced);
        emit(node.children[1], desired == 'R' ? 'V' : desired, forced);
        blanks(0, node.op_space);
        tokens += char(node.op);
        return;
      case Node::Kind::paren:
        emit(node.children[0], desired, forced);
        blanks(2, node.space);
        blanks(4, node.close_space);
        tokens += char(ptg::kParen);
        return;
      case Node::Kind::ref_op: {
        // The expression comes after a token that gives its size, as the application writes
        // references computed from operators.
        Writer inner;
        inner.emit(node.children[0], 'R', forced);
        inner.emit(node.children[1], 'R', forced);
        inner.tokens += char(node.op);
        const char operand_class = desired == 'V' ? (forced ? 'A' : 'V') : desired;
        tokens += char(ptg::kMemFunc + class_offset(operand_class));
        put_u16(tokens, static_cast<std::uint16_t>(inner.tokens.size()));
        tokens += inner.tokens;
        extra += inner.extra;
        return;
      }
      case Node::Kind::function:
      case Node::Kind::add_in:
        call(node, desired, forced);
        return;
    }
  }

 private:
  void call(const Node& node, char desired, bool forced) {
    const FunctionInfo& info = *node.function;
    const char returns = info.return_class;
    char own = desired;
    bool arguments_forced = false;
    if (forced) {
      own = returns == 'R' && desired == 'R' ? 'R' : 'A';
      arguments_forced = returns == 'V';
    } else if (returns != desired) {
      if (desired == 'V') {
        own = 'V';
      } else if (desired == 'A') {
        own = returns == 'R' ? 'R' : 'A';
        arguments_forced = returns == 'V';
      } else {
        own = returns;
      }
    }
    if (node.kind == Node::Kind::add_in) {
      tokens += char(ptg::kNameX);
      put_u16(tokens, node.add_in.externsheet);
      put_u16(tokens, node.add_in.index);
      put_u16(tokens, 0);
    }
    for (std::size_t k = 0; k < node.children.size(); ++k)
      emit(node.children[k], info.argument_class(k), arguments_forced);
    const std::size_t count = node.children.size() + (node.kind == Node::Kind::add_in ? 1 : 0);
    blanks(0, node.space);
    blanks(4, node.close_space);
    if (info.fixed_count() && node.kind == Node::Kind::function) {
      tokens += char(ptg::kFunc + class_offset(own));
      put_u16(tokens, info.number);
    } else {
      tokens += char(ptg::kFuncVar + class_offset(own));
      tokens += char(count);
      put_u16(tokens, info.number);
    }
  }
};

}  // namespace

CompiledFormula compile_formula(std::u16string_view text, CompileNames& names, std::uint16_t sheet,
                                std::uint16_t, std::uint16_t) {
  if (text.empty() || text[0] != u'=') refuse("a formula begins with '='");
  if (text.size() > kMaxFormulaLength) {
    refuse("it is " + std::to_string(text.size()) +
           " characters long; a formula holds at most 1024 characters in this file format");
  }
  Parser parser(text.substr(1), names, sheet);
  const Node root = parser.formula();
  Writer writer;
  if (parser.is_volatile()) writer.tokens += std::string("\x19\x01\x00\x00", 4);
  writer.blanks(6, parser.leading_blanks());
  writer.emit(root, 'V', false);
  if (writer.tokens.size() > kMaxTokenBytes) {
    refuse("it takes " + std::to_string(writer.tokens.size()) +
           " bytes of tokens; a formula takes at most 1800 in this file format");
  }
  return {std::move(writer.tokens), std::move(writer.extra), parser.is_volatile()};
}

}  // namespace xls::formula
