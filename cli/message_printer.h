#pragma once
// How schreiber-cli shows the window's message boxes: one block on standard error,
// "[title] prompt", each carriage return of the prompt as a line break, text as UTF-8.

#include <iostream>
#include <string>

#include "platform/codepage.h"

namespace schreiber::cli {

inline void print_message(const std::string& prompt, const std::string& title) {
  std::string text = "[";
  text += platform::codepage_to_utf8(title);
  text += "] ";
  for (const char c : platform::codepage_to_utf8(prompt)) text += c == '\r' ? '\n' : c;
  std::cerr << text << '\n' << std::flush;
}

}  // namespace schreiber::cli
