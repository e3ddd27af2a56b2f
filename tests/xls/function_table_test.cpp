// The table of built-in functions against LibreOffice's export: every function called in a
// formula that LibreOffice writes into a file shows again under its own name, so its
// number is the one the file format gives it.

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "templates.h"
#include "xls/formula/function_table.h"
#include "xls/text.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

// Functions LibreOffice does not write by their number, with the reason.
const std::set<std::string> kLibreOfficeWritesOtherwise = {
    "TRUE",         "FALSE",                   // as the constants TRUE and FALSE
    "USDOLLAR",     "DBCS",     "DATESTRING",  // unknown to it: #N/A
    "NUMBERSTRING", "PHONETIC",                //   the same
    "ERROR.TYPE",   "FLOOR",    "CEILING",     // as its own newer functions, called by name
    "BAHTTEXT",                                //   the same
};

TEST(FunctionTable, NumbersAgreeWithLibreOffice) {
  const TempFolder folder;
  std::vector<std::string> texts;
  std::string lines;
  for (const xls::formula::FunctionInfo& info : xls::formula::builtin_functions()) {
    if (kLibreOfficeWritesOtherwise.count(std::string(info.name))) continue;
    const int count = info.max_arguments == 0 ? 0 : std::max<int>(info.min_arguments, 1);
    std::string text = "=" + std::string(info.name) + "(";
    for (int k = 0; k < count; ++k) text += k ? ",A1" : "A1";
    texts.push_back(text + ")");
    lines += texts.back().substr(1) + "\n";
  }
  write_file(folder / "texts.txt", lines);
  libreoffice_cells("write_formulas " + quoted(folder / "functions.xls") + " " +
                    quoted(folder / "texts.txt"));
  const auto shown = xls::Workbook::open(folder / "functions.xls").formula_texts(0);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const auto found = shown.find({static_cast<std::uint32_t>(k + 1), 6});
    ASSERT_NE(found, shown.end()) << texts[k];
    EXPECT_EQ(xls::utf16_to_utf8(found->second), texts[k]);
  }
  EXPECT_GT(texts.size(), 230u);
}

}  // namespace
}  // namespace xls_test
