// recalc: computes every formula of a workbook that the engine can compute and saves the
// results, for workbooks whose stored results another program wrote (and to compare the
// engine's results with that program's).

#include <iostream>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "xls/workbook.h"

namespace {

constexpr const char* kRecalcUsage =
    "usage: schreiber-cli recalc IN OUT\n"
    "Opens the workbook IN, computes every formula the engine computes (the others keep their\n"
    "stored results) and saves the workbook as OUT.\n";

int run_recalc(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << kRecalcUsage;
      return 0;
    }
  }
  if (args.size() != 2) {
    std::cerr << "schreiber-cli recalc: expects IN and OUT\n" << kRecalcUsage;
    return 64;
  }
  try {
    xls::Workbook workbook = xls::Workbook::open(args[0]);
    workbook.compute_every_formula_on_save();
    workbook.save_as(args[1]);
  } catch (const xls::Error& error) {
    std::cerr << "schreiber-cli recalc: " << error.what() << '\n';
    return 1;
  }
  return 0;
}

[[maybe_unused]] const bool registered = schreiber::cli::register_command(
    {"recalc", "compute every formula of a workbook and save it", run_recalc});

}  // namespace
