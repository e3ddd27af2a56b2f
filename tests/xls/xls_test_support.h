#pragma once
// Helpers of the workbook engine's tests: running the independent reader (xlrd under
// /usr/bin/python3) and LibreOffice, and the shared temporary folder and file helpers.

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "support/temp_folder.h"

namespace xls_test {

// A private temporary folder and whole-file I/O, as the rest of the suite has them.
using schreiber::testing::read_file;
using schreiber::testing::TempFolder;
using schreiber::testing::write_file;

// Runs a shell command; returns its standard output. Fails the test when it exits non-zero.
std::string run(const std::string& command);
std::string quoted(const std::filesystem::path& path);
std::filesystem::path source_dir();
std::filesystem::path binary_dir();

// What xlrd reads from one workbook file (see read_back.py).
struct ReadBack {
  std::string error;                // xlrd's refusal, if any
  std::vector<std::string> sheets;  // repr() of each name
  // (sheet, row, column) -> "type<TAB>xf<TAB>repr(value)"
  std::map<std::tuple<int, int, int>, std::string> cells;
  std::map<std::string, std::string> streams;  // path -> sha256, the workbook stream left out
  int datemode = -1;
  struct Format {
    std::string number_format;  // repr() of the code
    bool quote_prefix = false;
    std::string rest;  // font, alignment, borders, fill, protection, parent
  };
  std::vector<Format> formats;  // by XF index
};
std::map<std::string, ReadBack> read_back(const std::vector<std::filesystem::path>& files);

}  // namespace xls_test
