#include "automation/engine_refusal.h"

#include "platform/failure.h"

namespace schreiber::automation {

int refusal_number(xls::ErrorKind kind) {
  // Every kind is listed, so that a new one makes the compiler ask for its number.
  switch (kind) {
    case xls::ErrorKind::file_access:
    case xls::ErrorKind::unreadable:
    case xls::ErrorKind::no_such_cell:
    case xls::ErrorKind::bad_value:
    case xls::ErrorKind::workbook_full:
    case xls::ErrorKind::refused:
      return platform::kApplicationDefined;
  }
  return platform::kApplicationDefined;
}

}  // namespace schreiber::automation
