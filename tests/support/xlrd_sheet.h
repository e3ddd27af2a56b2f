#pragma once
// The cells of one sheet as the independent reader (Debian's python3-xlrd under
// /usr/bin/python3) sees them: (row, column) from 1 -> text as UTF-8. Numbers come back
// in Python's spelling; a workbook or sheet xlrd cannot read gives an empty map and the
// reason in `error`.

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

namespace schreiber::testing {

struct XlrdSheet {
  std::map<std::pair<int, int>, std::string> cells;
  std::string error;
};

inline XlrdSheet read_with_xlrd(const std::filesystem::path& workbook, const std::string& sheet) {
  const std::string script =
      "import sys, xlrd\n"
      "try:\n"
      "    s = xlrd.open_workbook(sys.argv[1]).sheet_by_name(sys.argv[2])\n"
      "except Exception as e:\n"
      "    print('error', str(e).encode().hex()); sys.exit(0)\n"
      "for r in range(s.nrows):\n"
      "    for c in range(s.ncols):\n"
      "        cell = s.cell(r, c)\n"
      "        if cell.ctype != xlrd.XL_CELL_EMPTY:\n"
      "            print(r + 1, c + 1, str(cell.value).encode('utf-8').hex())\n";
  const auto script_file = std::filesystem::temp_directory_path() / "schreiber-xlrd-sheet.py";
  if (FILE* out = std::fopen(script_file.c_str(), "w")) {
    std::fputs(script.c_str(), out);
    std::fclose(out);
  }
  const std::string command =
      "/usr/bin/python3 '" + script_file.string() + "' '" + workbook.string() + "' '" + sheet + "'";
  XlrdSheet result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    result.error = "cannot run python3";
    return result;
  }
  const auto unhex = [](const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
      out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
  };
  char line[1 << 16];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    int row = 0;
    int column = 0;
    char hex[sizeof line];
    hex[0] = '\0';
    if (std::sscanf(line, "error %s", hex) == 1) {
      result.error = unhex(hex);
    } else if (std::sscanf(line, "%d %d %s", &row, &column, hex) >= 2) {
      result.cells[{row, column}] = unhex(hex);
    }
  }
  ::pclose(pipe);
  return result;
}

}  // namespace schreiber::testing
