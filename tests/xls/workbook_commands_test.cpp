// schreiber-cli's workbook commands, run as a user runs them: template, put, dump.

#include <gtest/gtest.h>

#include <cstdlib>

#include "biff_fixture.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

struct Result {
  int status;
  std::string out, err;
};

Result cli(const TempFolder& folder, const std::string& arguments) {
  const std::string command = quoted(binary_dir() / "cli/schreiber-cli") + " " + arguments + " >" +
                              quoted(folder / "out.txt") + " 2>" + quoted(folder / "err.txt");
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(folder / "out.txt"),
          read_file(folder / "err.txt")};
}

std::size_t lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(WorkbookCommands, TemplatePutAndDumpWorkTogether) {
  TempFolder folder;
  const std::string book = quoted(folder / "neu.xls");
  EXPECT_EQ(cli(folder, "template " + book).status, 0);
  const Result again = cli(folder, "template " + book);
  EXPECT_NE(again.status, 0);
  EXPECT_EQ(lines(again.err), 1u);
  EXPECT_NE(again.err.find("already exists"), std::string::npos);

  const std::string texts =
      " 1 1 \"$(printf 'tab\\there')\" 2 3 'back\\slash' 3 1 \"$(printf '\\002Zeile\\r\\nEnde')\" "
      "3 2 Ωμέγα 4 1 2.41 4 2 08:00:00 4 3 \"'001\" 4 4 true";
  EXPECT_EQ(cli(folder, "put " + book + " --sheet data" + texts).status, 0);
  EXPECT_EQ(cli(folder, "put " + book + " --sheet Data --text 5 1 2.41 6 1 x").status, 0);
  EXPECT_EQ(cli(folder, "put " + book + " --sheet Data 6 1 ''").status, 0);  // empties it
  const Result dump = cli(folder, "dump " + book);
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(dump.out,
            "[sheet Data]\n"
            "1\t1\ttext\ttab\\there\n"
            "2\t3\ttext\tback\\\\slash\n"
            "3\t1\ttext\t\\x02Zeile\\r\\nEnde\n"
            "3\t2\ttext\tΩμέγα\n"
            "4\t1\tnumber\t2.41\n"
            "4\t2\tnumber\t0.3333333333333333\t8:00:00\n"
            "4\t3\ttext\t001\n"
            "4\t4\tboolean\tTRUE\n"
            "5\t1\ttext\t2.41\n");
  EXPECT_EQ("[sheet Data]\n" + cli(folder, "dump " + book + " --sheet DATA").out, dump.out);
}

TEST(WorkbookCommands, PutTurnsEqualsTextsIntoFormulasAndRefusesWhatIsNone) {
  TempFolder folder;
  const std::string book = quoted(folder / "formeln.xls");
  ASSERT_EQ(cli(folder, "template " + book).status, 0);
  ASSERT_EQ(cli(folder, "put " + book +
                            " --sheet Data 1 1 4 1 2 '=A1*2' 1 3 \"'=A1\" 2 1 '=SUM(A1:B1,\"x\")'")
                .status,
            0);
  ASSERT_EQ(cli(folder, "put " + book + " --sheet Data --text 2 2 '=A1'").status, 0);
  const std::string before = read_file(folder / "formeln.xls");
  const Result refused =
      cli(folder, "put " + book + " --sheet Data 3 1 '=SUM(A1' 3 2 '=NOSUCH(1)'");
  EXPECT_NE(refused.status, 0);
  EXPECT_EQ(lines(refused.err), 1u);
  EXPECT_NE(refused.err.find("The formula you typed contains an error"), std::string::npos);
  EXPECT_EQ(read_file(folder / "formeln.xls"), before);  // nothing of the put was saved
  const std::string dump = cli(folder, "dump " + book).out;
  // The stored results are left out: computing them is the engine's, tested with it.
  EXPECT_NE(dump.find("1\t2\tformula\t=A1*2\tnumber\t"), std::string::npos) << dump;
  EXPECT_NE(dump.find("2\t1\tformula\t=SUM(A1:B1,\"x\")\t"), std::string::npos) << dump;
  EXPECT_NE(dump.find("1\t3\ttext\t=A1\n"), std::string::npos) << dump;  // after an apostrophe
  EXPECT_NE(dump.find("2\t2\ttext\t=A1\n"), std::string::npos) << dump;  // --text
}

TEST(WorkbookCommands, DumpShowsNumbersBooleansAndErrorsAsTheSheetDoes) {
  TempFolder folder;
  const std::string table = record(0x0203, "0000 0000 0F00 000000000000F83F") +  // NUMBER A1: 1.5
                            record(0x027E, "0000 0100 0F00 0A000000") +          // RK B1: 2
                            record(0x0205, "0000 0200 0F00 00 00") +  // BOOLERR C1: FALSE
                            record(0x0205, "0000 0300 0F00 07 01");   // BOOLERR D1: error #DIV/0!
  write_file(folder / "zahlen.xls",
             fixture_file(fixture_stream({}, {{u"Data", 0, worksheet(table)}})));
  EXPECT_EQ(cli(folder, "dump " + quoted(folder / "zahlen.xls")).out,
            "[sheet Data]\n1\t1\tnumber\t1.5\n1\t2\tnumber\t2\n1\t3\tboolean\tFALSE\n"
            "1\t4\terror\t#DIV/0!\n");
}

TEST(WorkbookCommands, BadInputEndsWithOneLineAndANonZeroStatus) {
  TempFolder folder;
  const std::string book = quoted(folder / "b.xls");
  ASSERT_EQ(cli(folder, "template " + book).status, 0);
  const std::string bad[] = {
      "put " + book + " --sheet Data x 1 text",      // not a number
      "put " + book + " --sheet Data 70000 1 text",  // beyond the last row
      "put " + book + " --sheet Fehlt 1 1 text",     // no such sheet
      "put " + book + " --sheet Data 1 1",           // half a triple
      "dump " + quoted(folder / "fehlt.xls"),        // no such file
      "dump " + book + " --sheet",                   // --sheet without a name
      "template",                                    // no path
  };
  for (const std::string& arguments : bad) {
    const Result result = cli(folder, arguments);
    EXPECT_NE(result.status, 0) << arguments;
    EXPECT_NE(result.err, "") << arguments;
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')).find("schreiber-cli"), 0u) << result.err;
  }
  EXPECT_EQ(cli(folder, "put " + book + " --sheet Data 70000 1 text").err.find("65536") !=
                std::string::npos,
            true);
  for (const char* command : {"template", "dump", "put"}) {
    const Result help = cli(folder, std::string(command) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: schreiber-cli " + std::string(command), 0), 0u) << help.out;
  }
}

}  // namespace
}  // namespace xls_test
