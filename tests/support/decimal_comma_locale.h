#pragma once
// The whole process switched to a locale whose decimal point is a comma, as a desktop
// toolkit does from a German environment before the window loads. When the machine has
// no such locale installed, one is made with localedef in a temporary folder (found
// through LOCPATH). The previous locale comes back when the object goes.

#include <clocale>
#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace schreiber::testing {

class DecimalCommaLocale {
 public:
  DecimalCommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"}) {
      if (try_locale(name)) return;
    }
    if (made().empty()) {
      why_not_ = "no locale with a decimal comma, and localedef could not make one";
      return;
    }
    ::setenv("LOCPATH", made().c_str(), 1);
    if (!try_locale("de_DE.UTF-8")) why_not_ = "the locale made by localedef does not load";
  }
  ~DecimalCommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  // Empty when the locale is in force; otherwise why it is not.
  const std::string& why_not() const { return why_not_; }

 private:
  static bool try_locale(const char* name) {
    if (std::setlocale(LC_ALL, name) == nullptr) return false;
    return std::localeconv()->decimal_point == std::string(",");
  }

  // The folder holding de_DE.UTF-8 made by localedef, once per test program; empty when
  // that failed.
  static const std::string& made() {
    static TempFolder folder;
    static const std::string path = [] {
      const std::string command =
          "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
      return std::system(command.c_str()) == 0 ? folder.path().string() : std::string();
    }();
    return path;
  }

  std::string previous_;
  std::string why_not_;
};

}  // namespace schreiber::testing
