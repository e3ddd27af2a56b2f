#pragma once
// The names of the files a save writes before it renames them over the workbook: short
// whatever the workbook's name (a name at the file system's limit still saves), and naming
// the process that made them, so that the leftovers of a crash can be told from files
// still being written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls {

// "<lead>schreiber-<process>-<number>.tmp"; `lead` hides it where a leading dot does.
std::string temporary_name(char lead, std::uint32_t process, unsigned number);

// The process named by a temporary name of that form; nothing for any other name.
std::optional<std::uint32_t> temporary_name_process(std::string_view name, char lead);

}  // namespace xls
