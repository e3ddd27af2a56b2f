#pragma once
// What formulas refer to outside their own sheet: the workbook's table of sheet references
// (EXTERNSHEET, one entry per sheet or span of sheets that 3-D references use, each in this
// workbook, another workbook or an add-in), its defined names (NAME) and the names of other
// workbooks and add-ins (EXTERNNAME). FormulaNames is what reading a formula needs
// (evaluating, showing its text); CompileNames adds what compiling a formula text needs,
// where the workbook adds entries that are missing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls::formula {

// Sheets of this workbook by their index (the order of the workbook's sheet list).
struct SheetSpan {
  std::uint16_t first = 0, last = 0;
  bool operator==(const SheetSpan&) const = default;
};

// What an EXTERNSHEET entry names, for showing a 3-D reference.
struct SheetReference {
  std::u16string book;                     // another workbook's file name; empty for this workbook
  std::u16string first_sheet, last_sheet;  // equal for one sheet
  bool deleted = false;                    // the sheet is gone: the reference shows #REF!
};

struct DefinedName {
  std::u16string name;                 // as formulas show it (built-in ones: "Print_Area")
  std::optional<std::uint16_t> sheet;  // the sheet it belongs to; none for the whole workbook
  std::string tokens, extra;           // its formula
  bool function = false;               // names a macro or add-in function
};

// A name of another workbook or of an add-in (PtgNameX).
struct ExternalName {
  std::u16string name;
  bool add_in = false;  // an add-in function (EDATE, EOMONTH, ...)
};

class FormulaNames {
 public:
  virtual ~FormulaNames() = default;
  // The sheets of this workbook an EXTERNSHEET entry names; none for another workbook, an
  // add-in, a deleted sheet or an index past the table.
  virtual std::optional<SheetSpan> sheets(std::uint16_t externsheet) const = 0;
  // The entry as a formula's text shows it; none past the table.
  virtual std::optional<SheetReference> sheet_reference(std::uint16_t externsheet) const = 0;
  // The defined name a PtgName holds (index from 1); null when there is none.
  virtual const DefinedName* name(std::uint16_t index) const = 0;
  // The name a PtgNameX holds: its EXTERNSHEET entry, and the index (from 1) among that
  // workbook's or add-in's names.
  virtual std::optional<ExternalName> external_name(std::uint16_t externsheet,
                                                    std::uint16_t index) const = 0;
};

class CompileNames : public FormulaNames {
 public:
  // The index of this workbook's sheet with that name, compared without case.
  virtual std::optional<std::uint16_t> sheet_index(std::u16string_view name) const = 0;
  // The sheet's name as the workbook spells it.
  virtual std::u16string sheet_name(std::uint16_t index) const = 0;
  // The EXTERNSHEET entry for these sheets, added when missing; none when the table is full.
  virtual std::optional<std::uint16_t> externsheet_for(SheetSpan sheets) = 0;
  // The index (from 1) of the defined name, compared without case: one that belongs to
  // `sheet` before one of the whole workbook.
  virtual std::optional<std::uint16_t> name_index(std::u16string_view name,
                                                  std::uint16_t sheet) const = 0;
  // The EXTERNSHEET entry and name index of an add-in function, added when missing.
  struct NameX {
    std::uint16_t externsheet = 0, index = 0;
  };
  virtual std::optional<NameX> add_in_function(std::u16string_view upper_case_name) = 0;
};

}  // namespace xls::formula
