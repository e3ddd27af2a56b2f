#include "xls/builtin_number_formats.h"

#include <array>

namespace xls {

namespace {

struct Builtin {
  std::uint16_t index;
  std::u16string_view code;
  bool fixed;  // the same in every locale
};

constexpr std::array<Builtin, 36> kBuiltins{{
    {0, u"General", true},
    {1, u"0", true},
    {2, u"0.00", true},
    {3, u"#,##0", true},
    {4, u"#,##0.00", true},
    {5, u"$#,##0_);($#,##0)", false},
    {6, u"$#,##0_);[Red]($#,##0)", false},
    {7, u"$#,##0.00_);($#,##0.00)", false},
    {8, u"$#,##0.00_);[Red]($#,##0.00)", false},
    {9, u"0%", true},
    {10, u"0.00%", true},
    {11, u"0.00E+00", true},
    {12, u"# ?/?", true},
    {13, u"# ?\?/??", true},
    {14, u"m/d/yyyy", true},
    {15, u"d-mmm-yy", true},
    {16, u"d-mmm", true},
    {17, u"mmm-yy", true},
    {18, u"h:mm AM/PM", true},
    {19, u"h:mm:ss AM/PM", true},
    {20, u"h:mm", true},
    {21, u"h:mm:ss", true},
    {22, u"m/d/yyyy h:mm", true},
    {37, u"#,##0 ;(#,##0)", true},
    {38, u"#,##0 ;[Red](#,##0)", true},
    {39, u"#,##0.00;(#,##0.00)", true},
    {40, u"#,##0.00;[Red](#,##0.00)", true},
    {41, u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", false},
    {42, u"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)", false},
    {43, u"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)", false},
    {44, u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)", false},
    {45, u"mm:ss", true},
    {46, u"[h]:mm:ss", true},
    {47, u"mm:ss.0", true},
    {48, u"##0.0E+0", true},
    {49, u"@", true},
}};

}  // namespace

std::optional<std::u16string_view> builtin_number_format(std::uint16_t index) {
  for (const Builtin& builtin : kBuiltins) {
    if (builtin.index == index) return builtin.code;
  }
  return std::nullopt;
}

std::optional<std::uint16_t> fixed_builtin_index(std::u16string_view code) {
  for (const Builtin& builtin : kBuiltins) {
    if (builtin.fixed && builtin.code == code) return builtin.index;
  }
  return std::nullopt;
}

}  // namespace xls
