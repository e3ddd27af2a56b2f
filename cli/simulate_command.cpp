// schreiber-cli simulate: plays an instrument on a pseudo-terminal.

#include <signal.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/arguments.h"
#include "cli/command_registry.h"
#include "sim/simulator.h"

namespace schreiber::cli {

namespace {

constexpr int kBadInput = 64;
constexpr int kFailed = 1;
// After the receiving side has read everything, the line stays up a little longer, so
// that it closes its port before it would see the hang-up.
constexpr auto kLinger = std::chrono::milliseconds(300);

const char kHelp[] =
    "usage: schreiber-cli simulate --link PATH FILE [--baud B] [--pause AT:MS]...\n"
    "                              [--hangup-after N] [--start-when-configured]\n"
    "\n"
    "Plays an instrument: makes a pseudo-terminal, points the symlink PATH at it\n"
    "(e.g. <program folder>/ports/COM1) and sends FILE's bytes at B/10 bytes per second.\n"
    "Ends once the receiving side has read every byte.\n"
    "\n"
    "  --link PATH              the symlink to make (an existing symlink is replaced)\n"
    "  --baud B                 line rate, default 57600; 0 sends as fast as possible\n"
    "  --pause AT:MS            silence of MS milliseconds after byte AT (repeatable)\n"
    "  --hangup-after N         pull the cable after N bytes\n"
    "  --start-when-configured  send only once the receiving side has set 57600 baud\n";

volatile sig_atomic_t interrupted = 0;

void on_signal(int) {
  interrupted = 1;
}

struct Invocation {
  sim::Options options;
  std::string file;
  bool help = false;
};

Invocation parse(const std::vector<std::string>& raw) {
  const Arguments args(raw, {"--help", "--start-when-configured"},
                       {"--link", "--baud", "--pause", "--hangup-after"});
  Invocation result;
  if (args.has("--help")) {
    result.help = true;
    return result;
  }
  const auto link = args.value("--link");
  if (!link || link->empty()) throw UsageError("--link PATH is missing");
  if (args.words().empty()) throw UsageError("FILE is missing");
  if (args.words().size() > 1) throw UsageError("unexpected argument '" + args.words()[1] + "'");
  if (args.values("--link").size() > 1) throw UsageError("--link given twice");
  result.file = args.words()[0];
  sim::Options& options = result.options;
  options.link = *link;
  if (const auto baud = args.value("--baud")) {
    options.baud = static_cast<int>(parse_integer(*baud, 0, 100'000'000, "--baud"));
  }
  for (const auto& pause : args.values("--pause")) {
    const auto colon = pause.find(':');
    if (colon == std::string::npos) throw UsageError("--pause needs AT:MS, not '" + pause + "'");
    const auto at = parse_integer(pause.substr(0, colon), 0, INT64_MAX, "--pause AT");
    const auto ms = parse_integer(pause.substr(colon + 1), 0, 86'400'000, "--pause MS");
    options.pauses.push_back({static_cast<std::size_t>(at), std::chrono::milliseconds(ms)});
  }
  if (const auto count = args.value("--hangup-after")) {
    options.hangup_after =
        static_cast<std::size_t>(parse_integer(*count, 0, INT64_MAX, "--hangup-after"));
  }
  options.start_when_configured = args.has("--start-when-configured");
  return result;
}

std::optional<std::string> read_file(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(content).str();
}

int run(const std::vector<std::string>& args) {
  Invocation invocation;
  try {
    invocation = parse(args);
  } catch (const UsageError& bad) {
    std::cerr << "schreiber-cli simulate: " << bad.what() << '\n';
    return kBadInput;
  }
  if (invocation.help) {
    std::cout << kHelp;
    return 0;
  }
  auto bytes = read_file(invocation.file);
  if (!bytes) {
    std::cerr << "schreiber-cli simulate: cannot read " << invocation.file << '\n';
    return kBadInput;
  }
  sim::Options& options = invocation.options;
  options.bytes = std::move(*bytes);
  const std::size_t total = options.bytes.size();

  std::optional<sim::Simulator> simulator;
  try {
    simulator.emplace(options);
  } catch (const std::exception& failure) {
    std::cerr << "schreiber-cli simulate: " << failure.what() << '\n';
    return kFailed;
  }
  ::signal(SIGINT, on_signal);
  ::signal(SIGTERM, on_signal);
  std::cerr << "simulate: " << options.link.string() << " -> " << simulator->slave_path().string()
            << ", " << total << " bytes at "
            << (options.baud == 0 ? std::string("full speed")
                                  : std::to_string(options.baud) + " baud")
            << (options.start_when_configured ? ", waiting for the receiver to set 57600 baud" : "")
            << std::endl;

  const auto started = std::chrono::steady_clock::now();
  simulator->start();
  while (!interrupted && !simulator->wait_until_drained(std::chrono::milliseconds(100))) {
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!interrupted) std::this_thread::sleep_for(kLinger);
  simulator->stop();

  const std::string error = simulator->error();
  char took[32];
  std::snprintf(took, sizeof took, "%.2f s", seconds);
  std::cerr << "simulate: sent " << simulator->bytes_sent() << " of " << total << " bytes in "
            << took << (simulator->hung_up() ? ", then pulled the cable" : "")
            << (interrupted ? ", interrupted" : "") << (error.empty() ? "" : ", " + error) << '\n';
  if (!error.empty()) return kFailed;
  return interrupted ? 130 : 0;
}

const bool registered = register_command(
    {"simulate", "play an instrument's recording on a pseudo-terminal (for tests and demos)", run});

}  // namespace

}  // namespace schreiber::cli
