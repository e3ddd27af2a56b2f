#pragma once
// schreiber-cli's sub-commands. Each command's file registers itself with one line:
//   const bool registered = schreiber::cli::register_command({"name", "summary", run});

#include <map>
#include <string>
#include <vector>

namespace schreiber::cli {

// args: the words after the command's name. Returns the process's exit status.
using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* summary;
  CommandFunction run;
};

bool register_command(const Command& command);
const std::map<std::string, Command>& commands();

}  // namespace schreiber::cli
