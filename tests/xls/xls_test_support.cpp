#include "xls_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

namespace xls_test {

std::string run(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("popen failed");
  std::string output;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << "command failed: " << command << "\n" << output;
  return output;
}

std::string quoted(const std::filesystem::path& path) {
  std::string out = "'";
  for (char c : path.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::filesystem::path source_dir() {
  return SCHREIBER_SOURCE_DIR;
}
std::filesystem::path binary_dir() {
  return SCHREIBER_BINARY_DIR;
}

std::map<std::string, ReadBack> read_back(const std::vector<std::filesystem::path>& files) {
  std::string command = "/usr/bin/python3 " + quoted(source_dir() / "tests/xls/read_back.py");
  for (const auto& file : files) command.append(" ").append(quoted(file));
  std::istringstream lines(run(command + " 2>&1"));
  std::map<std::string, ReadBack> result;
  ReadBack* current = nullptr;
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.empty()) continue;
    if (fields[0] == "file" && fields.size() == 2) {
      current = &result[fields[1]];
    } else if (!current) {
      ADD_FAILURE() << "read_back.py: " << line;
    } else if (fields[0] == "error") {
      current->error = fields[1];
    } else if (fields[0] == "sheet") {
      current->sheets.push_back(fields[2]);
    } else if (fields[0] == "cell" && fields.size() == 7) {
      current->cells[{std::stoi(fields[1]), std::stoi(fields[2]), std::stoi(fields[3])}] =
          fields[4] + "\t" + fields[5] + "\t" + fields[6];
    } else if (fields[0] == "datemode" && fields.size() == 2) {
      current->datemode = std::stoi(fields[1]);
    } else if (fields[0] == "xf" && fields.size() == 5) {
      current->formats.push_back({fields[2], fields[3] == "1", fields[4]});
    } else if (fields[0] == "stream" && fields.size() == 3) {
      current->streams[fields[1]] = fields[2];
    } else {
      ADD_FAILURE() << "read_back.py: " << line;
    }
  }
  return result;
}

}  // namespace xls_test
