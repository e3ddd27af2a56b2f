#pragma once
// The operator messages of the export when the spreadsheet application cannot be used.

#include <string>

#include "platform/failure.h"

namespace schreiber::convert {

inline constexpr const char* kCancelTitle = "Abbruch";
inline constexpr const char* kPermissionTitle = "Zugriff verweigert";

// Number, description, the workbook file and the question, separated by carriage returns.
std::string cancel_message(const platform::Failure& failure, const std::string& workbook_name);

// The application refused access (number 70).
std::string permission_message(const std::string& workbook_name);

}  // namespace schreiber::convert
