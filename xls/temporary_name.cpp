#include "xls/temporary_name.h"

namespace xls {
namespace {

constexpr std::string_view kStem = "schreiber-";
constexpr std::string_view kEnd = ".tmp";

// Reads a run of 1 to 10 digits at the front of `text`, leaving `text` after it.
std::optional<std::uint64_t> digits(std::string_view& text) {
  std::size_t length = 0;
  std::uint64_t value = 0;
  while (length < text.size() && text[length] >= '0' && text[length] <= '9') {
    value = value * 10 + static_cast<unsigned>(text[length] - '0');
    if (++length > 10) return std::nullopt;
  }
  if (length == 0) return std::nullopt;
  text.remove_prefix(length);
  return value;
}

}  // namespace

std::string temporary_name(char lead, std::uint32_t process, unsigned number) {
  std::string name(1, lead);
  name += kStem;
  name += std::to_string(process);
  name += '-';
  name += std::to_string(number);
  name += kEnd;
  return name;
}

std::optional<std::uint32_t> temporary_name_process(std::string_view name, char lead) {
  if (name.empty() || name.front() != lead) return std::nullopt;
  name.remove_prefix(1);
  if (name.substr(0, kStem.size()) != kStem) return std::nullopt;
  name.remove_prefix(kStem.size());
  const auto process = digits(name);
  if (!process || *process == 0 || *process > INT32_MAX) return std::nullopt;
  if (name.empty() || name.front() != '-') return std::nullopt;
  name.remove_prefix(1);
  if (!digits(name) || name != kEnd) return std::nullopt;
  return static_cast<std::uint32_t>(*process);
}

}  // namespace xls
