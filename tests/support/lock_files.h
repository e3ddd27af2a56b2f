#pragma once
// Lock files of the serial-device convention (LCK..<device>) for the tests: the text a
// holder writes, and a holder that is gone.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace schreiber::testing {

// What a lock file of process `pid` holds: the number right-aligned in ten columns, then a
// newline.
inline std::string lock_text(pid_t pid) {
  const std::string digits = std::to_string(pid);
  return std::string(10 - digits.size(), ' ') + digits + "\n";
}

// The id of a process that has already ended and been reaped: a lock file naming it is
// stale.
inline pid_t ended_process() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  if (pid < 0 || ::waitpid(pid, nullptr, 0) != pid) throw std::runtime_error("fork failed");
  return pid;
}

}  // namespace schreiber::testing
