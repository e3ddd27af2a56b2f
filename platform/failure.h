#pragma once
// One failure type for the whole program: a number and a description, the way an
// automation layer reports an error. Nothing here catches it except the handlers that
// the program's procedures arm on purpose.

#include <stdexcept>
#include <string>

namespace schreiber::platform {

// The numbers the program gives a failure or passes on, as the automation layer numbers
// them.
enum FailureNumber : int {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kObjectVariableNotSet = 91,
  kObjectRequired = 424,
  kCannotCreateObject = 429,
  kNoAutomationSupport = 430,
  kObjectNotSupported = 438,  // no member of that name
  kActionNotSupported = 445,  // the member is not implemented
  kNamedArgumentNotFound = 448,
  kArgumentNotOptional = 449,
  kWrongArgumentCount = 450,
  kApplicationDefined = 1004,
};

// The automation layer's own text for a number; nullptr for 1004, whose text is the
// application's.
constexpr const char* standard_description(FailureNumber number) {
  switch (number) {
    case kInvalidProcedureCall:
      return "Invalid procedure call or argument";
    case kOverflow:
      return "Overflow";
    case kOutOfMemory:
      return "Out of memory";
    case kSubscriptOutOfRange:
      return "Subscript out of range";
    case kTypeMismatch:
      return "Type mismatch";
    case kBadFileNameOrNumber:
      return "Bad file name or number";
    case kFileNotFound:
      return "File not found";
    case kFileAlreadyExists:
      return "File already exists";
    case kDiskFull:
      return "Disk full";
    case kPermissionDenied:
      return "Permission denied";
    case kPathFileAccessError:
      return "Path/File access error";
    case kPathNotFound:
      return "Path not found";
    case kObjectVariableNotSet:
      return "Object variable or With block variable not set";
    case kObjectRequired:
      return "Object required";
    case kCannotCreateObject:
      return "ActiveX component can't create object";
    case kNoAutomationSupport:
      return "Class does not support Automation";
    case kObjectNotSupported:
      return "Object doesn't support this property or method";
    case kActionNotSupported:
      return "Object doesn't support this action";
    case kNamedArgumentNotFound:
      return "Named argument not found";
    case kArgumentNotOptional:
      return "Argument not optional";
    case kWrongArgumentCount:
      return "Wrong number of arguments or invalid property assignment";
    case kApplicationDefined:
      return nullptr;
  }
  return nullptr;
}

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

// Throws the failure with its own text; with a subject (a file name, a class name), the
// text is followed by ": " and the subject.
[[noreturn]] inline void raise_failure(FailureNumber number) {
  throw Failure(number, standard_description(number));
}
[[noreturn]] inline void raise_failure(FailureNumber number, const std::string& subject) {
  throw Failure(number, std::string(standard_description(number)) + ": " + subject);
}
// "Path/File access error (the system's reason): subject".
[[noreturn]] inline void raise_failure(FailureNumber number, const std::string& reason,
                                       const std::string& subject) {
  throw Failure(number,
                std::string(standard_description(number)) + " (" + reason + "): " + subject);
}

[[noreturn]] inline void raise_overflow() {
  raise_failure(kOverflow);
}

// Thrown by the program's end once the injected end function has run (it does not return
// in production). Deliberately not a Failure, so no failure handler can swallow it.
struct ProgramEnded {
  int status;
};

}  // namespace schreiber::platform
