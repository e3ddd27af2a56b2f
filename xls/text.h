#pragma once
// Unicode helpers of the engine: UTF-8 <-> UTF-16 for the edges (command line, file
// names) and the case-insensitive comparison spreadsheets use for sheet names.

#include <string>
#include <string_view>

namespace xls {

// Lower-case form of one UTF-16 unit for comparisons: ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic capitals; every other unit stays as it is.
char16_t fold_case(char16_t c);

bool equal_ignoring_case(std::u16string_view a, std::u16string_view b);

// Invalid input (bad UTF-8 sequences, lone surrogates) becomes U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

// True when `text` is well-formed UTF-8.
bool is_valid_utf8(std::string_view text);

}  // namespace xls
