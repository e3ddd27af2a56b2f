// schreiber-cli convert: converts an existing capture file again, without the instrument.

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/program.h"
#include "cli/arguments.h"
#include "cli/command_registry.h"
#include "cli/message_printer.h"
#include "convert/capture_parser.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/program_end.h"
#include "window/headless_view.h"

namespace schreiber::cli {
namespace {

constexpr const char* kUsage =
    "usage: schreiber-cli convert [--folder DIR] [--list]\n"
    "Converts DIR/Schreiber.txt into workbooks as the end of a capture would, with\n"
    "MaxStxCount as the capture of that file left it. Prints one line per exported block.\n"
    "DIR defaults to the program's folder.\n"
    "  --list   only print the blocks and names that would be exported\n"
    "exit status: 0 done (or nothing to convert), 2 a failure ended the run\n";

void print_export(std::int16_t block, const std::string& workbook_name,
                  const std::string& template_name) {
  std::cout << "block " << block << ": workbook " << platform::codepage_to_utf8(workbook_name)
            << " from template " << platform::codepage_to_utf8(template_name) << '\n'
            << std::flush;
}

int run(const std::vector<std::string>& raw) {
  std::filesystem::path folder;
  bool list_only = false;
  try {
    const Arguments args(raw, {"--list", "--help"}, {"--folder"});
    if (args.has("--help")) {
      std::cout << kUsage;
      return 0;
    }
    expect_no_words(args);
    folder = folder_argument(args);
    list_only = args.has("--list");
  } catch (const UsageError& error) {
    std::cerr << "schreiber-cli convert: " << error.what() << '\n';
    return 64;
  }

  window::HeadlessView view(false);
  app::Program program(view, {folder, nullptr});
  convert::Module1& module1 = program.module1();
  module1.export_block = [&module1, list_only](const std::int16_t& block,
                                               const std::string& workbook_name,
                                               const std::string& template_name) {
    print_export(block, workbook_name, template_name);
    if (!list_only) module1.ExportBlock(block, workbook_name, template_name);
  };

  int status = platform::kExitNormal;
  std::optional<platform::Failure> failure;
  try {
    platform::DiskFiles files;
    module1.MaxStxCount =
        convert::max_stx_count_of(files.read_or_create(folder / convert::kCaptureFileName));
    module1.ConvertCaptureFile();
    std::cerr << "nothing to convert: the capture file is shorter than "
              << convert::kMinimumCaptureSize << " bytes\n";
  } catch (const platform::ProgramEnded& end) {
    status = end.status;
  } catch (const platform::Failure& unhandled) {
    failure = unhandled;
    status = platform::kExitFailure;
    module1.QuitAfterFailure();
  }
  // The message boxes of the export, in the order they were shown, then the failure.
  for (const auto& message : view.messages()) print_message(message.prompt, message.title);
  if (failure) {
    // As the capture's handler reports it in the window: number, carriage return, text.
    print_message(std::to_string(failure->number()) + "\r" + failure->description(), "Error");
  }
  return status;
}

const bool registered =
    register_command({"convert", "convert an existing capture file into workbooks", run});

}  // namespace
}  // namespace schreiber::cli
