#pragma once
// Workbook templates made at test time by python3-xlwt and LibreOffice (make_*_templates.py),
// and LibreOffice's CSV conversion of written workbooks. Both share one folder per build.

#include <filesystem>
#include <string>
#include <vector>

namespace xls_test {

// The folder holding the templates, made on first use (again when a script changes).
const std::filesystem::path& templates();

// How the CSV holds each cell: as LibreOffice shows it, or its plain value in US English
// notation (a number with all its digits and a period before the decimals).
enum class CsvCells { as_shown, values };

// Converts the workbooks to CSV in `folder`, one file per sheet named "<stem>-<sheet>.csv".
void convert_to_csv(const std::filesystem::path& folder,
                    const std::vector<std::filesystem::path>& workbooks,
                    CsvCells cells = CsvCells::as_shown);

// Runs tests/xls/libreoffice_cells.py with these arguments after its profile (see there):
// the cells of workbooks as LibreOffice reads and recalculates them. Returns its output.
std::string libreoffice_cells(const std::string& arguments);

}  // namespace xls_test
