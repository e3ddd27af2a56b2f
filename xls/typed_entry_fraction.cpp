#include "xls/typed_entry_fraction.h"

#include <array>

#include "xls/typed_entry_number.h"

namespace xls::entry {

std::optional<ReadValue> read_fraction(std::u16string_view text) {
  // The application's fraction formats, by the number of denominator digits they show.
  static constexpr std::array<std::u16string_view, 3> kFormats = {u"# ?/?", u"# ?\?/??",
                                                                  u"# ?\?\?/???"};
  Cursor cursor(text);
  const bool negative = cursor.take(u'-');
  if (!negative) cursor.take(u'+');
  const auto whole = cursor.digits();
  if (whole.empty() || cursor.blanks() == 0) return std::nullopt;
  const auto numerator = cursor.digits();
  if (numerator.empty() || !cursor.take(u'/')) return std::nullopt;
  const auto denominator = cursor.digits();
  if (!cursor.at_end() || denominator.empty() || denominator.size() > kFormats.size()) {
    return std::nullopt;
  }
  const int divisor = digits_value(denominator);
  if (divisor == 0) return std::nullopt;
  // Whole part and numerator keep fifteen significant digits, as any typed number does.
  const auto whole_value = read_number(whole);
  const auto numerator_value = read_number(numerator);
  if (!whole_value || !numerator_value) return std::nullopt;
  const double value = whole_value->value + numerator_value->value / divisor;
  // "-0 0/4" is stored as 0, without a sign.
  return ReadValue{negative && value != 0 ? -value : value, kFormats[denominator.size() - 1]};
}

}  // namespace xls::entry
