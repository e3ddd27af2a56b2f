#pragma once
// The number formats every workbook knows by index without a FORMAT record, in their
// US-English spelling. Indices 5-8 and 41-44 (currency and accounting) depend on the
// regional settings of the application that shows them: their codes are given for reading,
// but a code is never stored under them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace xls {

// The US-English code of a built-in index; nothing for an index without a built-in format.
std::optional<std::u16string_view> builtin_number_format(std::uint16_t index);

// The index of a code that means the same in every locale (0-4, 9-22, 37-40, 45-49).
std::optional<std::uint16_t> fixed_builtin_index(std::u16string_view code);

// Indices from here on are the workbook's own (FORMAT records).
inline constexpr std::uint16_t kFirstCustomFormat = 164;

}  // namespace xls
