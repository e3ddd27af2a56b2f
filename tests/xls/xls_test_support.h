#pragma once
// Helpers of the workbook engine's tests: a private temporary folder, running the
// independent reader (xlrd under /usr/bin/python3) and LibreOffice, and whole-file I/O.

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace xls_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string read_bytes(const std::filesystem::path& path);
void write_bytes(const std::filesystem::path& path, const std::string& bytes);

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
};
std::map<std::string, ReadBack> read_back(const std::vector<std::filesystem::path>& files);

}  // namespace xls_test
