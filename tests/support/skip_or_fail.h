#pragma once
// A case that cannot run on this machine (a tool, locale or setting is missing): under CI
// (CI=true) and under the project's test command (SCHREIBER_NO_SKIP=1) that is a failure
// naming what is missing, so that a green run means every case ran; a developer running
// one test program by hand gets a skip.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace schreiber::testing {

inline bool skips_are_failures() {
  const char* ci = std::getenv("CI");
  const char* no_skip = std::getenv("SCHREIBER_NO_SKIP");
  return (ci != nullptr && std::string(ci) == "true") ||
         (no_skip != nullptr && std::string(no_skip) == "1");
}

}  // namespace schreiber::testing

#define SCHREIBER_SKIP_OR_FAIL(why)                   \
  do {                                                \
    if (::schreiber::testing::skips_are_failures()) { \
      GTEST_FAIL() << "cannot run here: " << (why);   \
    }                                                 \
    GTEST_SKIP() << (why);                            \
  } while (false)
