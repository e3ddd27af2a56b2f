#include "convert/export_messages.h"

namespace schreiber::convert {

std::string cancel_message(const platform::Failure& failure, const std::string& workbook_name) {
  return std::to_string(failure.number()) + "\r" + failure.description() +
         "\r\rFile: " + workbook_name + "\r\rIst Excel korrekt installiert?";
}

std::string permission_message(const std::string& workbook_name) {
  return "Zugriff verweigert: Excel hat den Zugriff abgelehnt (Fehler 70).\r\rFile: " +
         workbook_name + "\r\rDie Arbeitsmappe konnte nicht geschrieben werden.";
}

}  // namespace schreiber::convert
