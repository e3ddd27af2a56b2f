#pragma once
// Cell addresses as texts, for ADDRESS and INDIRECT: A1 and R1C1 forms, with or without $,
// optionally after a sheet name ('quoted' where the name needs it).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xls/formula/function_call.h"

namespace xls::formula {

// "A", "Z", "AA", ... for a column from 0.
std::u16string column_letters(std::uint32_t column);

// The sheet name as a reference writes it before "!": in quotes (doubled inside) when it holds
// anything but letters, digits, underscores and periods or begins with a digit.
std::u16string quoted_sheet_name(std::u16string_view name);

// The reference a text names: "B2", "$B$2", "A1:C3", "Sheet 2!A1", "'It''s'!A1:B2" (a1), or
// "R2C3", "R[1]C[-1]", "R1C1:R2C2" relative to the context's cell (not a1). Nothing when the
// text is no reference or names no sheet of the workbook.
std::optional<Reference> parse_reference(std::u16string_view text, bool a1, Context& context);

}  // namespace xls::formula
