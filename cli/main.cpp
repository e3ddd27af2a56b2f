#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_registry.h"

namespace schreiber::cli {

namespace {
std::map<std::string, Command>& registry() {
  static std::map<std::string, Command> all;
  return all;
}
}  // namespace

bool register_command(const Command& command) {
  registry().emplace(command.name, command);
  return true;
}

const std::map<std::string, Command>& commands() {
  return registry();
}

}  // namespace schreiber::cli

namespace {

void print_usage(std::ostream& out) {
  out << "usage: schreiber-cli COMMAND [ARGS]...   (COMMAND --help for its own options)\n"
         "       schreiber-cli --version\n\n";
  for (const auto& [name, command] : schreiber::cli::commands()) {
    out << "  " << name << std::string(name.size() < 10 ? 10 - name.size() : 1, ' ')
        << command.summary << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    print_usage(std::cerr);
    return 64;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    print_usage(std::cout);
    return 0;
  }
  if (name == "--version") {
    std::cout << "schreiber-cli " << SCHREIBER_VERSION_TEXT << '\n';
    return 0;
  }
  const auto& all = schreiber::cli::commands();
  const auto found = all.find(name);
  if (found == all.end()) {
    std::cerr << "schreiber-cli: unknown command '" << name << "'\n";
    print_usage(std::cerr);
    return 64;
  }
  const std::vector<std::string> args(argv + 2, argv + argc);
  return found->second.run(args);
}
