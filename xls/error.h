#pragma once
// The one failure type of the workbook engine: a number (1004 for every refusal, as the
// spreadsheet reports a workbook or cell operation it refuses) and a description.

#include <stdexcept>
#include <string>

namespace xls {

inline constexpr int kRefused = 1004;

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& description, int number = kRefused)
      : std::runtime_error(description), number_(number) {}

  int number() const { return number_; }
  std::string description() const { return what(); }

 private:
  int number_;
};

}  // namespace xls
