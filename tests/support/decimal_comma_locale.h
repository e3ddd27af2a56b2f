#pragma once
// The whole process switched to German regional settings (decimal comma), as a desktop
// toolkit does from the environment before the window loads. When the machine has no
// such locale installed, localedef makes one in a temporary folder, found through LOCPATH
// (Linux; Windows always has its German locale).
// The previous locale comes back when the object goes.

#include <clocale>
#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace schreiber::testing {

class DecimalCommaLocale {
 public:
  DecimalCommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
    // The C library's name for it on Linux, then the Windows runtime's.
    for (const char* name : {"de_DE.UTF-8", "German_Germany.1252", "de-DE"}) {
      if (use(name)) return;
    }
    static const TempFolder made;
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (made / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0 &&
        ::setenv("LOCPATH", made.path().string().c_str(), 1) == 0 && use("de_DE.UTF-8")) {
      return;
    }
    why_not_ =
        "no German locale (de_DE.UTF-8, German_Germany.1252), and localedef could not make one";
  }
  ~DecimalCommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  // Empty when the locale is in force; otherwise why it is not.
  const std::string& why_not() const { return why_not_; }

 private:
  static bool use(const char* name) {
    return std::setlocale(LC_ALL, name) != nullptr &&
           std::localeconv()->decimal_point == std::string(",");
  }

  std::string previous_;
  std::string why_not_;
};

}  // namespace schreiber::testing
