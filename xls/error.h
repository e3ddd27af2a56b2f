#pragma once
// The one failure type of the workbook engine: what kind of refusal it is and a
// description of the particulars. How a refusal is numbered for the rest of the program is
// not the engine's business: automation/ maps the kinds to the numbers it reports.

#include <stdexcept>
#include <string>

namespace xls {

enum class ErrorKind {
  file_access,    // a file could not be read, written or replaced, or has no name yet
  unreadable,     // not a workbook the engine reads (another format, encrypted, damaged), or
                  // the part of it that a write must change is damaged
  no_such_cell,   // no such sheet, a sheet that holds no cells, a row or column outside it
  bad_value,      // a value no cell holds: too long a text or number format, a number that
                  // is not finite, an unknown error code
  workbook_full,  // no room for another cell format or number format
  refused,        // a write the spreadsheet application refuses: into part of an array formula
                  // or a data table, or into a locked cell of a protected sheet
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& description)
      : std::runtime_error(description), kind_(kind) {}

  ErrorKind kind() const { return kind_; }
  std::string description() const { return what(); }

 private:
  ErrorKind kind_;
};

}  // namespace xls
