#pragma once
// A small parser for sub-command arguments: named options with or without a value, and
// the words in between. Bad input becomes a one-line reason.

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace schreiber::cli {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Arguments {
 public:
  // `flags`: options without a value; `valued`: options that take one (may repeat).
  Arguments(const std::vector<std::string>& args, const std::set<std::string>& flags,
            const std::set<std::string>& valued);

  bool has(const std::string& option) const { return values_.count(option) != 0; }
  std::optional<std::string> value(const std::string& option) const;
  std::vector<std::string> values(const std::string& option) const;
  const std::vector<std::string>& words() const { return words_; }

 private:
  std::multimap<std::string, std::string> values_;
  std::vector<std::string> words_;
};

// The folder a command works in: --folder, else the program's own folder; a UsageError
// when that is not a folder.
std::filesystem::path folder_argument(const Arguments& args);

// A UsageError naming the first word, for a command that takes none.
void expect_no_words(const Arguments& args);

// A whole number within [low, high], or a UsageError naming `what`.
long long parse_integer(const std::string& text, long long low, long long high,
                        const std::string& what);

}  // namespace schreiber::cli
