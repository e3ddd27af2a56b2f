#pragma once
// The cells of one sheet as the independent reader (Debian's python3-xlrd under
// /usr/bin/python3) sees them: (row, column) from 1 -> text as UTF-8, with the cell's type
// and number format. Numbers come back in Python's spelling; a workbook or sheet xlrd
// cannot read gives an empty map and the reason in `error`. A reader that does not run to
// its end (no python3, no xlrd, a crash) fails the calling test: an empty map from a
// broken reader must not pass for an empty sheet.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

namespace schreiber::testing {

struct XlrdSheet {
  std::map<std::pair<int, int>, std::string> cells;
  std::map<std::pair<int, int>, std::string> types;    // text, number, date, boolean, error
  std::map<std::pair<int, int>, std::string> formats;  // the cell's number format code
  int datemode = 0;                                    // 1: the 1904 date system
  std::string error;
};

inline XlrdSheet read_with_xlrd(const std::filesystem::path& workbook, const std::string& sheet) {
  const std::string script =
      "import sys, xlrd\n"
      "try:\n"
      "    b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
      "    s = b.sheet_by_name(sys.argv[2])\n"
      "except Exception as e:\n"
      "    print('error', str(e).encode().hex()); sys.exit(0)\n"
      "print('datemode', b.datemode)\n"
      "types = {1: 'text', 2: 'number', 3: 'date', 4: 'boolean', 5: 'error'}\n"
      "for r in range(s.nrows):\n"
      "    for c in range(s.ncols):\n"
      "        cell = s.cell(r, c)\n"
      "        if cell.ctype in types:\n"
      "            f = b.format_map[b.xf_list[cell.xf_index].format_key].format_str\n"
      "            print(r + 1, c + 1, types[cell.ctype], f.encode().hex() or '-',\n"
      "                  str(cell.value).encode('utf-8').hex())\n";
  // One script file per test process: tests run two at a time, and a file that another
  // process is rewriting would be read half written.
  const auto script_file = std::filesystem::temp_directory_path() /
                           ("schreiber-xlrd-sheet-" + std::to_string(::getpid()) + ".py");
  XlrdSheet result;
  FILE* file = std::fopen(script_file.c_str(), "w");
  if (file == nullptr || std::fputs(script.c_str(), file) < 0 || std::fclose(file) != 0) {
    ADD_FAILURE() << "cannot write the xlrd script " << script_file;
    result.error = "cannot write the xlrd script";
    return result;
  }
  const std::string command =
      "/usr/bin/python3 '" + script_file.string() + "' '" + workbook.string() + "' '" + sheet + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
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
    char type[16];
    char format[sizeof line];
    char hex[sizeof line];
    hex[0] = '\0';
    if (std::sscanf(line, "error %s", hex) == 1) {
      result.error = unhex(hex);
    } else if (std::sscanf(line, "datemode %d", &result.datemode) == 1) {
    } else if (std::sscanf(line, "%d %d %15s %s %s", &row, &column, type, format, hex) >= 4) {
      result.cells[{row, column}] = unhex(hex);
      result.types[{row, column}] = type;
      result.formats[{row, column}] = unhex(format);
    }
  }
  const int status = ::pclose(pipe);
  std::error_code ignored;
  std::filesystem::remove(script_file, ignored);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "the xlrd reader did not run to its end (status " << status
                  << "): is python3-xlrd installed for /usr/bin/python3?";
    result.error = "the xlrd reader failed";
  }
  return result;
}

}  // namespace schreiber::testing
