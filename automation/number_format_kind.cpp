#include "automation/number_format_kind.h"

#include "xls/entry_scan.h"

namespace schreiber::automation {
namespace entry = xls::entry;
namespace {

bool currency_sign(char16_t c) {
  return c == u'$' || c == u'\u20AC' || c == u'\u00A3' || c == u'\u00A5';
}

struct Marks {
  bool date = false;  // d or y
  bool month_or_minute = false;
  bool time = false;  // h, s, AM/PM, elapsed [h] [m] [s]
  bool percent = false;
  bool scientific = false;
  bool currency = false;
  bool text = false;  // an "@" outside quotes: the cell keeps what is typed as text
};

// "[h]", "[mm]", "[ss]": elapsed time; "[$€-407]": a currency; "[$-409]": a locale only;
// anything else ("[Red]", "[>100]") shows no kind.
void mark_bracket(std::u16string_view inside, Marks& marks) {
  if (!inside.empty() && inside.front() == u'$') {
    const auto symbol_end = inside.find(u'-');
    marks.currency |= (symbol_end == std::u16string_view::npos ? inside.size() : symbol_end) > 1;
    return;
  }
  if (inside.empty()) return;
  const auto c = entry::lower(inside.front());
  if ((c == u'h' || c == u'm' || c == u's') &&
      inside.find_first_not_of(inside.front()) == std::u16string_view::npos) {
    marks.time = true;
  }
}

}  // namespace

FormatKind number_format_kind(std::u16string_view code) {
  if (code.empty() || entry::same_word(code, "general")) return FormatKind::general;
  if (code == u"@") return FormatKind::text;
  Marks marks;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char16_t c = code[i];
    if (c == u';') break;  // the first section decides
    if (c == u'"') {
      const auto end = code.find(u'"', i + 1);
      const auto quoted = code.substr(i + 1, end == std::u16string_view::npos ? end : end - i - 1);
      for (const auto q : quoted) marks.currency |= currency_sign(q);
      if (end == std::u16string_view::npos) break;
      i = end;
    } else if (c == u'\\' || c == u'_' || c == u'*') {
      if (i + 1 < code.size()) marks.currency |= c == u'\\' && currency_sign(code[i + 1]);
      ++i;  // an escaped character, a padding width or a fill character
    } else if (c == u'[') {
      const auto end = code.find(u']', i);
      if (end == std::u16string_view::npos) break;
      mark_bracket(code.substr(i + 1, end - i - 1), marks);
      i = end;
    } else if (entry::lower(c) == u'a' && entry::same_word(code.substr(i, 5), "am/pm")) {
      marks.time = true;
      i += 4;
    } else if (entry::lower(c) == u'a' && entry::same_word(code.substr(i, 3), "a/p")) {
      marks.time = true;
      i += 2;
    } else if ((c == u'E' || c == u'e') && i + 1 < code.size() &&
               (code[i + 1] == u'+' || code[i + 1] == u'-')) {
      marks.scientific = true;
      ++i;
    } else {
      switch (entry::lower(c)) {
        case u'd':
        case u'y':
          marks.date = true;
          break;
        case u'm':
          marks.month_or_minute = true;
          break;
        case u'h':
        case u's':
          marks.time = true;
          break;
        case u'%':
          marks.percent = true;
          break;
        case u'@':
          marks.text = true;
          break;
        default:
          marks.currency |= currency_sign(c);
          break;
      }
    }
  }
  // "[$-409]@" (a locale before the text sign, as LibreOffice writes it) is Text too.
  if (marks.text) return FormatKind::text;
  // An "m" is a month unless the code shows a time, where it is a minute.
  const bool date = marks.date || (marks.month_or_minute && !marks.time);
  if (date && marks.time) return FormatKind::date_time;
  if (date) return FormatKind::date;
  if (marks.time) return FormatKind::time;
  if (marks.percent) return FormatKind::percent;
  if (marks.scientific) return FormatKind::scientific;
  if (marks.currency) return FormatKind::currency;
  return FormatKind::number;
}

}  // namespace schreiber::automation
