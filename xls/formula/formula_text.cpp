#include "xls/formula/formula_text.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "xls/formula/function_table.h"
#include "xls/formula/tokens.h"
#include "xls/little_endian.h"
#include "xls/text.h"

namespace xls::formula {

namespace {

constexpr std::uint16_t kLastRow = 0xFFFF;
constexpr std::uint8_t kLastColumn = 0xFF;

std::u16string ascii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

std::u16string string_constant(std::u16string_view text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    out += c;
    if (c == u'"') out += c;
  }
  return out + u"\"";
}

// A string as PtgStr and array constants hold it: count, flags, characters.
std::u16string read_chars(std::string_view bytes, std::size_t count, bool wide) {
  std::u16string out;
  for (std::size_t k = 0; k < count; ++k) {
    out.push_back(wide ? static_cast<char16_t>(get_u16(bytes.data() + 2 * k))
                       : static_cast<char16_t>(static_cast<std::uint8_t>(bytes[k])));
  }
  return out;
}

std::u16string cell_text(const Location& at) {
  std::u16string out;
  if (!at.column_relative) out += u'$';
  out += column_letters(at.column);
  if (!at.row_relative) out += u'$';
  out += ascii(std::to_string(at.row + 1));
  return out;
}

std::u16string area_text(const AreaLocation& area) {
  const Location& a = area.first;
  const Location& b = area.last;
  // Whole columns and whole rows show without the other part: A:B, 1:3.
  if (a.row == 0 && b.row == kLastRow && a.row_relative == b.row_relative) {
    return (a.column_relative ? u"" : u"$") + column_letters(a.column) + u":" +
           (b.column_relative ? u"" : u"$") + column_letters(b.column);
  }
  if (a.column == 0 && b.column == kLastColumn && a.column_relative == b.column_relative) {
    return (a.row_relative ? u"" : u"$") + ascii(std::to_string(a.row + 1)) + u":" +
           (b.row_relative ? u"" : u"$") + ascii(std::to_string(b.row + 1));
  }
  return cell_text(a) + u":" + cell_text(b);
}

std::u16string sheet_prefix(const FormulaNames& names, std::uint16_t externsheet) {
  const auto reference = names.sheet_reference(externsheet);
  if (!reference || reference->deleted) return u"#REF!";
  std::u16string sheets = reference->first_sheet;
  if (reference->last_sheet != reference->first_sheet) sheets += u":" + reference->last_sheet;
  if (reference->book.empty()) {
    const std::u16string quoted = quoted_sheet(sheets);
    // A span quotes as a whole, one sheet on its own.
    if (reference->last_sheet != reference->first_sheet && quoted != sheets) {
      return quoted_sheet(reference->first_sheet) == reference->first_sheet &&
                     quoted_sheet(reference->last_sheet) == reference->last_sheet
                 ? sheets + u"!"
                 : quoted + u"!";
    }
    return quoted + u"!";
  }
  return quoted_sheet(u"[" + reference->book + u"]" + sheets) + u"!";
}

std::u16string array_constant(std::string_view extra) {
  const std::size_t columns = static_cast<std::uint8_t>(extra[0]) + 1u;
  const std::size_t rows = get_u16(extra.data() + 1) + 1u;
  std::size_t at = 3;
  std::u16string out = u"{";
  for (std::size_t r = 0; r < rows; ++r) {
    if (r) out += u';';
    for (std::size_t c = 0; c < columns; ++c) {
      if (c) out += u',';
      const auto type = static_cast<std::uint8_t>(extra[at++]);
      switch (type) {
        case 0x01:
          out += number_text(get_f64(extra.data() + at));
          at += 8;
          break;
        case 0x02: {
          const std::size_t count = get_u16(extra.data() + at);
          const bool wide = extra[at + 2] & 0x01;
          out += string_constant(read_chars(extra.substr(at + 3), count, wide));
          at += 3 + count * (wide ? 2 : 1);
          break;
        }
        case 0x04:
          out += extra[at] ? u"TRUE" : u"FALSE";
          at += 8;
          break;
        case 0x10:
          out += error_text(static_cast<std::uint8_t>(extra[at]));
          at += 8;
          break;
        default:  // empty
          at += 8;
          break;
      }
    }
  }
  return out + u"}";
}

std::u16string_view binary_operator(std::uint8_t id) {
  switch (id) {
    case ptg::kAdd:
      return u"+";
    case ptg::kSub:
      return u"-";
    case ptg::kMul:
      return u"*";
    case ptg::kDiv:
      return u"/";
    case ptg::kPower:
      return u"^";
    case ptg::kConcat:
      return u"&";
    case ptg::kLt:
      return u"<";
    case ptg::kLe:
      return u"<=";
    case ptg::kEq:
      return u"=";
    case ptg::kGe:
      return u">=";
    case ptg::kGt:
      return u">";
    case ptg::kNe:
      return u"<>";
    case ptg::kIsect:
      return u" ";
    case ptg::kUnion:
      return u",";
    case ptg::kRange:
      return u":";
    default:
      return {};
  }
}

// Blanks and line breaks the author typed, by where they go (PtgAttrSpace's type).
struct Spacing {
  std::u16string before_token, before_open, before_close, leading;
  void add(std::uint8_t type, std::uint8_t count) {
    const std::u16string run(count, type % 2 ? u'\r' : u' ');
    if (type <= 1)
      before_token += run;
    else if (type <= 3)
      before_open += run;
    else if (type <= 5)
      before_close += run;
    else
      leading += run;
  }
};

class Renderer {
 public:
  Renderer(const FormulaNames& names, std::uint16_t row, std::uint16_t column)
      : names_(names), row_(row), column_(column) {}

  bool add(const Token& token);
  std::optional<std::u16string> result() const {
    if (stack_.size() != 1) return std::nullopt;
    return u"=" + leading_ + stack_.back();
  }

 private:
  bool call(std::u16string name, std::size_t count);
  Location at_cell(Location location) const {
    return relative_to(location, row_, static_cast<std::uint8_t>(column_));
  }
  std::u16string take_spacing() {
    std::u16string out = std::move(spacing_.before_token);
    spacing_.before_token.clear();
    return out;
  }

  const FormulaNames& names_;
  std::uint16_t row_, column_;
  std::vector<std::u16string> stack_;
  Spacing spacing_;
  std::u16string leading_;
};

bool Renderer::call(std::u16string name, std::size_t count) {
  if (stack_.size() < count) return false;
  std::u16string text = take_spacing() + name + spacing_.before_open + u"(";
  spacing_.before_open.clear();
  for (std::size_t k = stack_.size() - count; k < stack_.size(); ++k) {
    if (k != stack_.size() - count) text += u',';
    text += stack_[k];
  }
  text += spacing_.before_close + u")";
  spacing_.before_close.clear();
  stack_.resize(stack_.size() - count);
  stack_.push_back(std::move(text));
  return true;
}

bool Renderer::add(const Token& token) {
  const std::uint8_t base = token.base();
  const std::string_view bytes = token.bytes;
  if (const auto op = binary_operator(base); !op.empty()) {
    if (stack_.size() < 2) return false;
    std::u16string right = std::move(stack_.back());
    stack_.pop_back();
    stack_.back() += take_spacing() + std::u16string(op) + right;
    return true;
  }
  switch (base) {
    case ptg::kUplus:
    case ptg::kUminus:
      if (stack_.empty()) return false;
      stack_.back() = take_spacing() + (base == ptg::kUplus ? u"+" : u"-") + stack_.back();
      return true;
    case ptg::kPercent:
      if (stack_.empty()) return false;
      stack_.back() += take_spacing() + u"%";
      return true;
    case ptg::kParen:
      if (stack_.empty()) return false;
      stack_.back() = spacing_.before_open + u"(" + stack_.back() + spacing_.before_close + u")";
      spacing_.before_open.clear();
      spacing_.before_close.clear();
      return true;
    case ptg::kMissArg:
      stack_.push_back(take_spacing());
      return true;
    case ptg::kStr: {
      const std::size_t count = static_cast<std::uint8_t>(bytes[1]);
      stack_.push_back(take_spacing() +
                       string_constant(read_chars(bytes.substr(3), count, bytes[2] & 0x01)));
      return true;
    }
    case ptg::kAttr: {
      const auto type = static_cast<std::uint8_t>(bytes[1]);
      if (type & attr::kSpace) {
        spacing_.add(static_cast<std::uint8_t>(bytes[2]), static_cast<std::uint8_t>(bytes[3]));
        if (!spacing_.leading.empty()) {
          leading_ += spacing_.leading;
          spacing_.leading.clear();
        }
      }
      if (type & attr::kSum) return call(u"SUM", 1);
      return true;
    }
    case ptg::kErr:
      stack_.push_back(take_spacing() +
                       std::u16string(error_text(static_cast<std::uint8_t>(bytes[1]))));
      return true;
    case ptg::kBool:
      stack_.push_back(take_spacing() + (bytes[1] ? u"TRUE" : u"FALSE"));
      return true;
    case ptg::kInt:
      stack_.push_back(take_spacing() + ascii(std::to_string(get_u16(bytes.data() + 1))));
      return true;
    case ptg::kNum:
      stack_.push_back(take_spacing() + number_text(get_f64(bytes.data() + 1)));
      return true;
    case ptg::kArray:
      stack_.push_back(take_spacing() + array_constant(token.extra));
      return true;
    case ptg::kFunc: {
      const FunctionInfo* info = function_by_number(get_u16(bytes.data() + 1));
      if (!info) return false;
      return call(ascii(info->name), info->min_arguments);
    }
    case ptg::kFuncVar: {
      const std::size_t count = static_cast<std::uint8_t>(bytes[1]) & 0x7F;
      const std::uint16_t number = get_u16(bytes.data() + 2) & 0x7FFF;
      if (number == kExternalFunction) {
        // The called function's name is the first operand.
        if (count == 0 || stack_.size() < count) return false;
        std::u16string name = std::move(stack_[stack_.size() - count]);
        stack_.erase(stack_.end() - static_cast<std::ptrdiff_t>(count));
        return call(std::move(name), count - 1);
      }
      const FunctionInfo* info = function_by_number(number);
      if (!info) return false;
      return call(ascii(info->name), count);
    }
    case ptg::kName: {
      const DefinedName* name = names_.name(get_u16(bytes.data() + 1));
      stack_.push_back(take_spacing() + (name ? name->name : u"#NAME?"));
      return true;
    }
    case ptg::kNameX: {
      const auto name = names_.external_name(sheet_reference_of(token), get_u16(bytes.data() + 3));
      if (!name) {
        stack_.push_back(take_spacing() + u"#NAME?");
      } else if (name->add_in) {
        stack_.push_back(take_spacing() + name->name);
      } else {
        stack_.push_back(take_spacing() + sheet_prefix(names_, sheet_reference_of(token)) +
                         name->name);
      }
      return true;
    }
    case ptg::kRef:
      stack_.push_back(take_spacing() + cell_text(location_of(token)));
      return true;
    case ptg::kRefN:
      stack_.push_back(take_spacing() + cell_text(at_cell(location_of(token))));
      return true;
    case ptg::kArea:
      stack_.push_back(take_spacing() + area_text(area_of(token)));
      return true;
    case ptg::kAreaN: {
      const AreaLocation area = area_of(token);
      stack_.push_back(take_spacing() + area_text({at_cell(area.first), at_cell(area.last)}));
      return true;
    }
    case ptg::kRefErr:
    case ptg::kAreaErr:
      stack_.push_back(take_spacing() + u"#REF!");
      return true;
    case ptg::kRef3d:
      stack_.push_back(take_spacing() + sheet_prefix(names_, sheet_reference_of(token)) +
                       cell_text(location_of(token)));
      return true;
    case ptg::kArea3d: {
      const AreaLocation area = area_of(token);
      stack_.push_back(take_spacing() + sheet_prefix(names_, sheet_reference_of(token)) +
                       area_text(area));
      return true;
    }
    case ptg::kRefErr3d:
    case ptg::kAreaErr3d:
      stack_.push_back(take_spacing() + sheet_prefix(names_, sheet_reference_of(token)) + u"#REF!");
      return true;
    case ptg::kMemArea:
    case ptg::kMemErr:
    case ptg::kMemNoMem:
    case ptg::kMemFunc:
      return true;  // the tokens of the expression follow and show it
    default:
      return false;  // kExp, kTbl, kExtended
  }
}

}  // namespace

std::u16string column_letters(std::uint16_t column) {
  std::u16string out;
  std::uint32_t n = column + 1u;
  while (n > 0) {
    out.insert(out.begin(), static_cast<char16_t>(u'A' + (n - 1) % 26));
    n = (n - 1) / 26;
  }
  return out;
}

std::u16string quoted_sheet(std::u16string_view name) {
  bool plain = !name.empty() && !(name[0] >= u'0' && name[0] <= u'9');
  for (char16_t c : name) {
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x80;
    if (!letter && !(c >= u'0' && c <= u'9') && c != u'_' && c != u'.') plain = false;
  }
  // A name that reads as a cell (A1, IV65536) or a row-column cell (R1C1) needs them too.
  if (plain) {
    std::size_t k = 0;
    while (k < name.size() &&
           ((name[k] >= u'A' && name[k] <= u'Z') || (name[k] >= u'a' && name[k] <= u'z')))
      ++k;
    std::size_t digits = k;
    while (digits < name.size() && name[digits] >= u'0' && name[digits] <= u'9') ++digits;
    if (k > 0 && k <= 3 && digits > k && digits == name.size()) plain = false;
    const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    if (!name.empty() && (upper(name[0]) == u'R' || upper(name[0]) == u'C') && name.size() <= 1)
      plain = false;
    if (name.size() > 1 && upper(name[0]) == u'R' && name[1] >= u'0' && name[1] <= u'9') {
      std::size_t at = 1;
      while (at < name.size() && name[at] >= u'0' && name[at] <= u'9') ++at;
      if (at == name.size() || upper(name[at]) == u'C') plain = false;
    }
  }
  if (plain) return std::u16string(name);
  std::u16string out = u"'";
  for (char16_t c : name) {
    out += c;
    if (c == u'\'') out += c;
  }
  return out + u"'";
}

std::u16string number_text(double value) {
  char buffer[40];
  const double magnitude = std::fabs(value);
  if (magnitude != 0 && (magnitude >= 1e15 || magnitude < 1e-9)) {
    std::snprintf(buffer, sizeof buffer, "%.14E", value);
    // Trailing zeros of the mantissa go, and the exponent keeps two digits at least.
    std::string text(buffer);
    const std::size_t e = text.find('E');
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
    const char sign = exponent[0];
    std::string digits = exponent.substr(1);
    while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
    return ascii(mantissa + "E" + sign + digits);
  }
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text(buffer);
  if (text.find('E') != std::string::npos) {
    // Small numbers that %G writes with an exponent: fixed notation, 15 significant digits.
    const int decimals = 14 - static_cast<int>(std::floor(std::log10(magnitude)));
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    text = buffer;
    if (text.find('.') != std::string::npos) {
      while (text.back() == '0') text.pop_back();
      if (text.back() == '.') text.pop_back();
    }
  }
  return ascii(text);
}

std::u16string_view error_text(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return u"#NULL!";
    case 0x07:
      return u"#DIV/0!";
    case 0x0F:
      return u"#VALUE!";
    case 0x17:
      return u"#REF!";
    case 0x1D:
      return u"#NAME?";
    case 0x24:
      return u"#NUM!";
    case 0x2A:
      return u"#N/A";
    default:
      return {};
  }
}

std::optional<std::u16string> formula_text(std::string_view tokens, std::string_view extra,
                                           const FormulaNames& names, std::uint16_t row,
                                           std::uint16_t column) {
  const auto walked = walk(tokens, extra);
  if (!walked || walked->empty()) return std::nullopt;
  Renderer renderer(names, row, column);
  for (const Token& token : *walked) {
    if (!renderer.add(token)) return std::nullopt;
  }
  return renderer.result();
}

}  // namespace xls::formula
