#include "automation/typed_entry_cases.h"

namespace schreiber::testing {
namespace {

using automation::EntryKind;
using automation::TypedEntry;

TypedEntry text(std::u16string_view stored, bool quote_prefix = false) {
  TypedEntry entry;
  entry.text = stored;
  entry.quote_prefix = quote_prefix;
  return entry;
}
TypedEntry quoted(std::u16string_view stored) {
  return text(stored, true);
}
TypedEntry number(double value, std::u16string_view format = u"") {
  TypedEntry entry;
  entry.kind = EntryKind::number;
  entry.number = value;
  entry.number_format = format;
  return entry;
}
TypedEntry boolean(bool value) {
  TypedEntry entry;
  entry.kind = EntryKind::boolean;
  entry.boolean = value;
  return entry;
}
TypedEntry error(std::uint8_t code) {
  TypedEntry entry;
  entry.kind = EntryKind::error;
  entry.error_code = code;
  return entry;
}
TypedEntry empty() {
  TypedEntry entry;
  entry.kind = EntryKind::empty;
  return entry;
}
// h:m:s as a fraction of a day.
double clock(double hours, double minutes, double seconds) {
  return (hours * 3600 + minutes * 60 + seconds) / 86400;
}

constexpr std::u16string_view kCurrency = u"\"$\"#,##0_);\\(\"$\"#,##0\\)";
constexpr std::u16string_view kCurrencyCents = u"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)";
constexpr double k5Mar2024 = 45356;

}  // namespace

const std::vector<EntryCase>& typed_entry_cases() {
  static const std::vector<EntryCase> cases = {
      // A Text-formatted cell keeps the text as it is; an apostrophe still marks it.
      {u"5", text(u"5"), u"@"},
      {u" 2.41 ", text(u" 2.41 "), u"@"},
      {u"TRUE", text(u"TRUE"), u"@"},
      {u"3/5/2024", text(u"3/5/2024"), u"[$-409]@"},
      {u"'abc", quoted(u"abc"), u"@"},
      // A leading apostrophe: the rest is text.
      {u"'abc", quoted(u"abc")},
      {u"'001", quoted(u"001")},
      {u"'", quoted(u"")},
      // Numbers.
      {u"2.41", number(2.41)},
      {u"+5", number(5)},
      {u"001", number(1)},
      {u" 5 ", number(5)},
      {u".5", number(0.5)},
      {u"5.", number(5)},
      {u"-0", number(0)},
      {u"1,234", number(1234, u"#,##0")},
      {u"1,234.5", number(1234.5, u"#,##0.00")},
      {u"-1,234,567", number(-1234567, u"#,##0")},
      {u"1e5", number(1e5, u"0.00E+00")},
      {u"2.5E-3", number(0.0025, u"0.00E+00")},
      {u"50%", number(0.5, u"0%")},
      {u"12.5%", number(0.125, u"0.00%")},
      {u"0.1%", number(0.001, u"0.00%")},
      {u"5 %", number(0.05, u"0%")},
      {u"-5%", number(-0.05, u"0%")},
      {u"$5", number(5, kCurrency)},
      {u"-$5", number(-5, kCurrency)},
      {u"($5)", number(-5, kCurrency)},
      {u"$5.50", number(5.5, kCurrencyCents)},
      {u"(5)", number(-5)},
      // Fractions with a whole part; the format shows as many denominator digits as typed.
      {u"1 1/2", number(1.5, u"# ?/?")},
      {u"0 1/2", number(0.5, u"# ?/?")},
      {u"-1 1/2", number(-1.5, u"# ?/?")},
      {u"1 5/4", number(2.25, u"# ?/?")},
      {u"0 3/16", number(0.1875, u"# ?\?/??")},
      {u"2 1/125", number(2.008, u"# ?\?\?/???")},
      {u"0 1/1000", text(u"0 1/1000")},
      {u"1 1/0", text(u"1 1/0")},
      // Fifteen significant digits: the rest become zeros, without rounding.
      {u"1234567890123456789", number(1234567890123450000.0)},
      {u"0.1234567890123459", number(0.123456789012345)},
      {u"9.99999999999999E+307", number(9.99999999999999e307, u"0.00E+00")},
      {u"1e308", text(u"1e308")},
      {u"1e-320", text(u"1e-320")},
      // Not numbers.
      {u"1,2", text(u"1,2")},
      {u"1,23,456", text(u"1,23,456")},
      {u"1234,567", text(u"1234,567")},
      {u",123", text(u",123")},
      {u"1.2.3", text(u"1.2.3")},
      {u"-", text(u"-")},
      {u"+", text(u"+")},
      {u"(-5)", text(u"(-5)")},
      {u"$-5", text(u"$-5")},
      {u"e5", text(u"e5")},
      {u"1e", text(u"1e")},
      {u"%", text(u"%")},
      {u"1e5%", text(u"1e5%")},
      {u"1,234e5", text(u"1,234e5")},
      {u"5-", text(u"5-")},
      // Times.
      {u"8:00", number(clock(8, 0, 0), u"h:mm")},
      {u"08:00:00", number(clock(8, 0, 0), u"h:mm:ss")},
      {u"8:5", number(clock(8, 5, 0), u"h:mm")},
      {u"8:00 AM", number(clock(8, 0, 0), u"h:mm AM/PM")},
      {u"8:30:15 pm", number(clock(20, 30, 15), u"h:mm:ss AM/PM")},
      {u"9:00 p", number(clock(21, 0, 0), u"h:mm AM/PM")},
      {u"12 PM", number(clock(12, 0, 0), u"h:mm AM/PM")},
      {u"12:30 AM", number(clock(0, 30, 0), u"h:mm AM/PM")},
      {u"12:30:45.5", number(clock(12, 30, 45.5), u"mm:ss.0")},
      {u"0:01.03", number(clock(0, 0, 1.03), u"mm:ss.0")},  // minutes and seconds
      {u"24:00", number(1, u"[h]:mm:ss")},
      {u"25:30", number(clock(25, 30, 0), u"[h]:mm:ss")},
      {u"9999:59:59", number(clock(9999, 59, 59), u"[h]:mm:ss")},
      {u"10000:00", text(u"10000:00")},
      {u"10:60", text(u"10:60")},
      {u"13:00 PM", text(u"13:00 PM")},
      {u"8:00 x", text(u"8:00 x")},
      {u"-8:00", text(u"-8:00")},
      // Dates in US order (this year: 2024).
      {u"3/5/2024", number(k5Mar2024, u"m/d/yyyy")},
      {u"03/05/24", number(k5Mar2024, u"m/d/yyyy")},
      {u"3-5-2024", number(k5Mar2024, u"m/d/yyyy")},
      {u"2024/3/5", number(k5Mar2024, u"m/d/yyyy")},
      {u"2024-03-05", number(k5Mar2024, u"m/d/yyyy")},
      {u"3/5", number(k5Mar2024, u"d-mmm")},
      {u"3-5", number(k5Mar2024, u"d-mmm")},
      {u"5-Mar", number(k5Mar2024, u"d-mmm")},
      {u"5-Mar-2024", number(k5Mar2024, u"d-mmm-yy")},
      {u"5 march 2024", number(k5Mar2024, u"d-mmm-yy")},
      {u"Mar 5, 2024", number(k5Mar2024, u"d-mmm-yy")},
      {u"Sept 5", number(45540, u"d-mmm")},
      {u"Mar-24", number(45375, u"d-mmm")},  // a day of March when it can be one
      {u"Mar-2024", number(45352, u"mmm-yy")},
      {u"Dec 32", number(12024, u"mmm-yy")},  // else a year: 1 Dec 1932
      {u"2/29", number(45351, u"d-mmm")},     // a day of this year when it can be one
      {u"2/30", number(10990, u"mmm-yy")},    // else a year: 1 Feb 1930
      {u"1/50", number(18264, u"mmm-yy")},
      {u"3/45", number(16497, u"mmm-yy")},
      {u"12/2024", number(45627, u"mmm-yy")},
      {u"13/5", text(u"13/5")},  // 13 is no month
      {u"3/5/2024 10:00", number(k5Mar2024 + clock(10, 0, 0), u"m/d/yyyy h:mm")},
      {u"Mar 5, 2024 8:00 PM", number(k5Mar2024 + clock(20, 0, 0), u"m/d/yyyy h:mm")},
      {u"3/5/2024 25:00", number(k5Mar2024 + clock(25, 0, 0), u"m/d/yyyy h:mm")},
      {u"2/29/2024", number(45351, u"m/d/yyyy")},
      {u"2/29/2023", text(u"2/29/2023")},
      {u"2/30/2024", text(u"2/30/2024")},
      {u"12/31/99", number(36525, u"m/d/yyyy")},
      {u"1/1/30", number(10959, u"m/d/yyyy")},
      {u"1/1/29", number(47119, u"m/d/yyyy")},
      {u"1/1/1900", number(1, u"m/d/yyyy")},
      {u"2/29/1900", number(60, u"m/d/yyyy")},
      {u"3/1/1900", number(61, u"m/d/yyyy")},
      {u"12/31/9999", number(2958465, u"m/d/yyyy")},
      {u"12/31/1899", text(u"12/31/1899")},
      {u"1/1/10000", text(u"1/1/10000")},
      {u"13/03/2024", text(u"13/03/2024")},
      {u"12.03.2024", text(u"12.03.2024")},
      {u"32-Mar", text(u"32-Mar")},
      // The 1904 date system.
      {u"1/1/1904", number(0, u"m/d/yyyy"), u"General", true},
      {u"3/5/2024", number(k5Mar2024 - 1462, u"m/d/yyyy"), u"General", true},
      {u"12/31/1903", text(u"12/31/1903"), u"General", true},
      {u"2/29/1900", text(u"2/29/1900"), u"General", true},
      // Booleans and error values.
      {u"TRUE", boolean(true)},
      {u"TRUE ", boolean(true)},
      {u"true", boolean(true)},
      {u" False", boolean(false)},
      {u"#NULL!", error(0x00)},
      {u"#DIV/0!", error(0x07)},
      {u"#VALUE!", error(0x0F)},
      {u"#REF!", error(0x17)},
      {u"#NAME?", error(0x1D)},
      {u"#num!", error(0x24)},
      {u" #N/A ", error(0x2A)},
      // The rule reads values only: a cell assignment makes an "=" text a formula first.
      {u"=SUM(A1)", text(u"=SUM(A1)")},
      // Everything else is text, blanks and all.
      {u"*'*", text(u"*'*")},
      {u"1.xls", text(u"1.xls")},
      {u"bar", text(u"bar")},
      {u"20 \u00B0C", text(u"20 \u00B0C")},
      {u"Vorlauf Kessel 1", text(u"Vorlauf Kessel 1")},
      {u"-abc", text(u"-abc")},
      {u"   ", text(u"   ")},
      {u"", empty()},
      {u"", empty(), u"@"},
      // A cell that already shows this kind of value keeps its format.
      {u"08:00:00", number(clock(8, 0, 0)), u"hh:mm"},
      {u"3/5/2024", number(k5Mar2024), u"dd.mm.yyyy"},
      {u"3/5/2024", number(k5Mar2024, u"m/d/yyyy"), u"hh:mm"},
      {u"3/5/2024 10:00", number(k5Mar2024 + clock(10, 0, 0)), u"dd.mm.yyyy hh:mm"},
      {u"50%", number(0.5), u"0.0%"},
      {u"50%", number(0.5, u"0%"), u"0.00"},
      {u"1,234", number(1234), u"0.0 \"\u00B0C\""},
      {u"$5", number(5), u"[$\u20AC-407] #,##0.00"},
      {u"$5", number(5, kCurrency), u"[$-409]#,##0.00;[Red]-#,##0.00"},
  };
  return cases;
}

}  // namespace schreiber::testing
