#pragma once
// The number the spreadsheet application reports for what the workbook engine refuses.

#include "xls/error.h"

namespace schreiber::automation {

// 1004 ("Application-defined or object-defined error") for every kind: the application
// reports any workbook or cell operation it refuses with that one number.
int refusal_number(xls::ErrorKind kind);

}  // namespace schreiber::automation
