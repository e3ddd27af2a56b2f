// The workbook engine's own commands: template (a blank workbook), dump (print cells) and
// put (write cells and save, as the embedded spreadsheet application stores them).

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "automation/cell_assignment.h"
#include "cli/command_registry.h"
#include "platform/clock.h"
#include "xls/number_format_display.h"
#include "xls/text.h"
#include "xls/workbook.h"

namespace {

constexpr int kUsageError = 64;
constexpr int kFailure = 1;

constexpr const char* kTemplateUsage =
    "usage: schreiber-cli template PATH\n"
    "Writes a blank workbook with one sheet named \"Data\" to PATH (which must not exist yet).\n";
constexpr const char* kDumpUsage =
    "usage: schreiber-cli dump WORKBOOK [--sheet NAME]\n"
    "Prints the cells of a workbook as row<TAB>column<TAB>type<TAB>value lines (from 1, row\n"
    "by row). type is text, number, boolean or error; a formula cell shows formula<TAB>, its\n"
    "text as the application shows it (=SUM(A1:A3))<TAB>, then the type and value of its\n"
    "stored result. A number is shown in its shortest exact form, followed by <TAB> and the date "
    "or\n"
    "time its format shows where it has such a format. Control characters show as \\t, \\r,\n"
    "\\n or \\xHH, a backslash as \\\\. Without --sheet every sheet is printed, each after a\n"
    "line [sheet NAME].\n";
constexpr const char* kPutUsage =
    "usage: schreiber-cli put WORKBOOK --sheet NAME [--text] ROW COL TEXT [ROW COL TEXT]...\n"
    "Writes each TEXT (UTF-8) into the cell at ROW, COL (from 1) of sheet NAME and saves.\n"
    "Each TEXT is stored as the spreadsheet application stores a text assigned to a cell:\n"
    "\"2.41\" as a number, \"08:00:00\" as a time, \"TRUE\" as a boolean, ...; with --text\n"
    "every TEXT is stored as it is, as text.\n";

bool wants_help(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int usage_error(const char* command, const std::string& reason, const char* usage) {
  std::cerr << "schreiber-cli " << command << ": " << reason << '\n' << usage;
  return kUsageError;
}

int failure(const char* command, const std::string& reason) {
  std::cerr << "schreiber-cli " << command << ": " << reason << '\n';
  return kFailure;
}

std::string escaped(std::u16string_view text) {
  std::string out;
  for (char c : xls::utf16_to_utf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (byte < 0x20 || byte == 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::int64_t> number(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int run_template(const std::vector<std::string>& args) {
  if (wants_help(args)) {
    std::cout << kTemplateUsage;
    return 0;
  }
  if (args.size() != 1) return usage_error("template", "expects exactly one PATH", kTemplateUsage);
  try {
    if (xls::native_file_system().exists(args[0])) {
      return failure("template", "'" + args[0] + "' already exists; it is not overwritten");
    }
    xls::Workbook::create_blank().save_as(args[0]);
  } catch (const xls::Error& error) {
    return failure("template", error.what());
  }
  return 0;
}

const char* kind_name(xls::CellKind kind) {
  switch (kind) {
    case xls::CellKind::text:
      return "text";
    case xls::CellKind::number:
      return "number";
    case xls::CellKind::boolean:
      return "boolean";
    case xls::CellKind::error:
      return "error";
    case xls::CellKind::blank:
      break;
  }
  return "blank";
}

// The shortest text that reads back as the same double.
std::string shortest(double number) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string(buffer, result.ptr);
}

void dump_sheet(const xls::Workbook& workbook, std::size_t sheet) {
  const auto formulas = workbook.formula_texts(sheet);
  for (const xls::Cell& cell : workbook.cells(sheet)) {
    const xls::CellValue& value = cell.value;
    if (value.kind == xls::CellKind::blank && !value.formula) continue;
    std::cout << cell.row << '\t' << cell.column << '\t';
    if (value.formula) {
      const auto text = formulas.find({cell.row, cell.column});
      std::cout << "formula\t" << escaped(text != formulas.end() ? text->second : u"") << '\t';
    }
    std::cout << kind_name(value.kind) << '\t';
    if (value.kind != xls::CellKind::number) {
      std::cout << escaped(xls::display_text(value)) << '\n';
      continue;
    }
    std::cout << shortest(value.number);
    if (const auto shown =
            xls::show_date_time(value.number, cell.number_format, workbook.date_1904())) {
      std::cout << '\t' << escaped(*shown);
    }
    std::cout << '\n';
  }
}

int run_dump(const std::vector<std::string>& args) {
  if (wants_help(args)) {
    std::cout << kDumpUsage;
    return 0;
  }
  std::optional<std::string> path, sheet_name;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--sheet") {
      if (i + 1 >= args.size()) return usage_error("dump", "--sheet needs a NAME", kDumpUsage);
      sheet_name = args[++i];
    } else if (!path && (args[i].empty() || args[i][0] != '-')) {
      path = args[i];
    } else {
      return usage_error("dump", "unexpected argument '" + args[i] + "'", kDumpUsage);
    }
  }
  if (!path) return usage_error("dump", "expects a WORKBOOK", kDumpUsage);
  try {
    const xls::Workbook workbook = xls::Workbook::open(*path);
    if (sheet_name) {
      const auto sheet = workbook.find_sheet(xls::utf8_to_utf16(*sheet_name));
      if (!sheet)
        return failure("dump", "'" + *path + "' has no sheet named '" + *sheet_name + "'");
      dump_sheet(workbook, *sheet);
      return 0;
    }
    const auto names = workbook.sheet_names();
    for (std::size_t sheet = 0; sheet < names.size(); ++sheet) {
      std::cout << "[sheet " << escaped(names[sheet]) << "]\n";
      dump_sheet(workbook, sheet);
    }
  } catch (const xls::Error& error) {
    return failure("dump", error.what());
  }
  return 0;
}

int run_put(const std::vector<std::string>& args) {
  if (wants_help(args)) {
    std::cout << kPutUsage;
    return 0;
  }
  const bool as_text = args.size() > 3 && args[3] == "--text";
  const std::size_t first = as_text ? 4 : 3;
  if (args.size() < first + 3 || args[1] != "--sheet" || (args.size() - first) % 3 != 0) {
    return usage_error("put", "expects WORKBOOK --sheet NAME and then ROW COL TEXT triples",
                       kPutUsage);
  }
  struct Write {
    std::int64_t row, column;
    std::u16string text;
  };
  std::vector<Write> writes;
  for (std::size_t i = first; i < args.size(); i += 3) {
    const auto row = number(args[i]);
    const auto column = number(args[i + 1]);
    if (!row || !column) {
      return usage_error("put",
                         "'" + args[i] + " " + args[i + 1] + "' is not a ROW and COL number pair",
                         kPutUsage);
    }
    if (!xls::is_valid_utf8(args[i + 2])) return failure("put", "a TEXT is not valid UTF-8");
    writes.push_back({*row, *column, xls::utf8_to_utf16(args[i + 2])});
  }
  try {
    xls::Workbook workbook = xls::Workbook::open(args[0]);
    const auto sheet = workbook.find_sheet(xls::utf8_to_utf16(args[2]));
    if (!sheet) return failure("put", "'" + args[0] + "' has no sheet named '" + args[2] + "'");
    const int year = schreiber::platform::SystemClock().now().year;
    for (const Write& write : writes) {
      if (as_text) {
        workbook.set_text(*sheet, write.row, write.column, write.text);
      } else {
        schreiber::automation::assign_cell_text(workbook, *sheet, write.row, write.column,
                                                write.text, year);
      }
    }
    workbook.save();
  } catch (const xls::Error& error) {
    return failure("put", error.what());
  }
  return 0;
}

[[maybe_unused]] const bool registered =
    schreiber::cli::register_command({"template", "write a blank workbook", run_template}) &&
    schreiber::cli::register_command({"dump", "print the cells of a workbook", run_dump}) &&
    schreiber::cli::register_command({"put", "write cells into a workbook", run_put});

}  // namespace
