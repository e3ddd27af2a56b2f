// schreiber-cli convert: a capture file converted again, read back by xlrd, and the exit
// status for each way the run can end.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "conversion_harness.h"
#include "support/xlrd_sheet.h"

namespace schreiber::testing {
namespace {

const std::string kCli = std::string(SCHREIBER_BINARY_DIR) + "/cli/schreiber-cli";

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun run(const TempFolder& folder, const std::string& arguments) {
  const auto out = folder / "stdout.txt";
  const auto err = folder / "stderr.txt";
  const std::string command =
      "'" + kCli + "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int result = std::system(command.c_str());
  return {WIFEXITED(result) ? WEXITSTATUS(result) : -1, read_file(out), read_file(err)};
}

TEST(ConvertCommand, ConvertsACaptureFileAgainWithAllItsFields) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "FILES/Vor");
  std::filesystem::create_directories(folder / "Data");
  ASSERT_EQ(run(folder, "template '" + (folder / "FILES/Vor/b.xls").string() + "'").status, 0);
  write_file(folder / "Schreiber.txt",
             bytes("11 01 4C 02 61 03 62"  // header: name a, template b
                   "01 4D 02 63"           // field 1
                   "01 4E 02 64 03 65"     // field 2: the STX count sets the field bound
                   "13 78 14"));

  const CliRun result = run(folder, "convert --folder '" + folder.path().string() + "'");
  EXPECT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(result.out.rfind("block 0: workbook a_", 0), 0u) << result.out;

  std::filesystem::path book;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "Data")) book = entry;
  ASSERT_FALSE(book.empty());
  EXPECT_NE(result.out.find(book.filename().string() + " from template b.xls\n"),
            std::string::npos);
  const auto cells = read_with_xlrd(book, "Data").cells;
  EXPECT_EQ(cells.at({1, 1}), "OK");
  EXPECT_EQ(cells.at({5, 2}), "a");
  EXPECT_EQ(cells.at({6, 2}), "c");
  EXPECT_EQ(cells.at({7, 3}), "e");
}

TEST(ConvertCommand, ExitStatusTellsHowTheRunEnded) {
  TempFolder folder;
  const std::string in_folder = "convert --list --folder '" + folder.path().string() + "'";

  write_file(folder / "Schreiber.txt", bytes("11 02 61 13 00"));
  CliRun result = run(folder, in_folder);
  EXPECT_EQ(result.status, 0) << "too short to convert";
  EXPECT_EQ(result.out, "");

  std::string overflow;
  for (int i = 0; i < 32768; ++i) overflow += bytes("13 00");
  write_file(folder / "Schreiber.txt", overflow);
  result = run(folder, in_folder);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "[Error] 6\nOverflow\n");

  result = run(folder, "convert --folder '" + (folder / "missing").string() + "'");
  EXPECT_EQ(result.status, 64);
  EXPECT_NE(result.err.find("no such folder"), std::string::npos);
}

}  // namespace
}  // namespace schreiber::testing
