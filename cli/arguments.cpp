#include "cli/arguments.h"

#include <cerrno>
#include <cstdlib>

#include "platform/program_folder.h"

namespace schreiber::cli {

Arguments::Arguments(const std::vector<std::string>& args, const std::set<std::string>& flags,
                     const std::set<std::string>& valued) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
      if (flags.count(arg)) {
        values_.emplace(arg, "");
      } else if (valued.count(arg)) {
        if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
        values_.emplace(arg, args[++i]);
      } else {
        throw UsageError("unknown option " + arg);
      }
    } else {
      words_.push_back(arg);
    }
  }
}

std::optional<std::string> Arguments::value(const std::string& option) const {
  const auto found = values_.find(option);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> Arguments::values(const std::string& option) const {
  std::vector<std::string> all;
  const auto [first, last] = values_.equal_range(option);
  for (auto it = first; it != last; ++it) all.push_back(it->second);
  return all;
}

long long parse_integer(const std::string& text, long long low, long long high,
                        const std::string& what) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE || value < low ||
      value > high) {
    throw UsageError(what + " must be a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

std::filesystem::path folder_argument(const Arguments& args) {
  const std::filesystem::path folder =
      args.value("--folder").value_or(platform::executable_folder().string());
  if (!std::filesystem::is_directory(folder)) {
    throw UsageError("no such folder: " + folder.string());
  }
  return folder;
}

void expect_no_words(const Arguments& args) {
  if (!args.words().empty()) throw UsageError("unexpected argument '" + args.words()[0] + "'");
}

}  // namespace schreiber::cli
