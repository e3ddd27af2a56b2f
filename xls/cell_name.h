#pragma once
// A cell's name as spreadsheets show it: column letters, then the row number ("E7").

#include <cstdint>
#include <string>

namespace xls {

// "A" for column 0, "Z", "AA", ... "IV" for column 255.
inline std::string column_letters(std::uint16_t column) {
  std::string letters;
  for (int c = column + 1; c > 0; c = (c - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  return letters;
}

// Row and column from 0: "E7" for (6, 4).
inline std::string cell_name(std::uint32_t row, std::uint16_t column) {
  return column_letters(column) + std::to_string(row + 1);
}

}  // namespace xls
