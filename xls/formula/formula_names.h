#pragma once
// What a formula's tokens point into outside the cell table: the workbook's table of sheet
// references (EXTERNSHEET, for 3-D references and names of other sheets or add-ins) and its
// defined names (NAME, by the 1-based index that a name token stores).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls::formula {

struct NameFormula {
  std::u16string name;
  std::string_view tokens;  // the name's formula: references in it are as in a shared formula
  std::string_view extra;
};

class FormulaNames {
 public:
  virtual ~FormulaNames() = default;
  // The sheet of this workbook that an EXTERNSHEET entry stands for; none for another
  // workbook, a deleted sheet or a span of several sheets.
  virtual std::optional<std::uint16_t> sheet_of(std::uint16_t sheet_reference) const = 0;
  // The defined name that a name token's index (from 1) stands for, or null.
  virtual const NameFormula* name(std::uint16_t index) const = 0;
  // The add-in function (EDATE, ...) that a NameX token stands for, in upper case; none for
  // a name of another workbook.
  virtual std::optional<std::u16string> add_in_name(std::uint16_t sheet_reference,
                                                    std::uint16_t name_index) const = 0;
};

// A workbook that has no sheet references and no names.
class NoFormulaNames final : public FormulaNames {
 public:
  std::optional<std::uint16_t> sheet_of(std::uint16_t) const override { return std::nullopt; }
  const NameFormula* name(std::uint16_t) const override { return nullptr; }
  std::optional<std::u16string> add_in_name(std::uint16_t, std::uint16_t) const override {
    return std::nullopt;
  }
};

}  // namespace xls::formula
