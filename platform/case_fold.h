#pragma once
// Names told apart without regard to case (class names, workbook names, the words of a
// settings text): each byte folded to lower case as the C library folds it.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace schreiber::platform {

inline char fold_case(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

inline std::string fold_case(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = fold_case(c);
  return folded;
}

inline bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return fold_case(x) == fold_case(y); });
}

}  // namespace schreiber::platform
