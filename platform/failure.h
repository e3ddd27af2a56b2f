#pragma once
// One failure type for the whole program: a number and a description, the way an
// automation layer reports an error. Nothing here catches it except the handlers that
// the program's procedures arm on purpose.

#include <stdexcept>
#include <string>

namespace schreiber::platform {

enum FailureNumber : int {
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kFileNotFound = 53,
  kFileAlreadyExists = 58,
  kPermissionDenied = 70,
  kPathNotFound = 76,
  kCannotCreateObject = 429,
  kApplicationDefined = 1004,
};

class Failure : public std::runtime_error {
 public:
  Failure(int number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  int number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  int number_;
  std::string description_;
};

[[noreturn]] inline void raise_overflow() {
  throw Failure(kOverflow, "Overflow");
}

// Thrown by the program's end once the injected end function has run (it does not return
// in production). Deliberately not a Failure, so no failure handler can swallow it.
struct ProgramEnded {
  int status;
};

}  // namespace schreiber::platform
