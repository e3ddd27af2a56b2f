// The rename that never replaces, where the file system's rename cannot refuse an
// existing name by itself: its calls fail the way a network share (EINVAL), an old
// kernel (ENOSYS) or a file system without hard links (EPERM from link) makes them fail.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "automation/rename_posix.h"
#include "platform/failure.h"
#include "support/temp_folder.h"

namespace schreiber::testing {
namespace {

struct FallbackCase {
  const char* name;
  int rename_error;  // of the rename that refuses an existing name
  int link_error;    // 0: the real link
};

class RenameFallback : public ::testing::TestWithParam<FallbackCase> {
 protected:
  automation::RenameCalls calls() const {
    auto calls = automation::RenameCalls::system();
    const FallbackCase c = GetParam();
    calls.rename_noreplace = [c](const char*, const char*) { return c.rename_error; };
    if (c.link_error != 0) calls.link = [c](const char*, const char*) { return c.link_error; };
    return calls;
  }

  TempFolder folder;
};

TEST_P(RenameFallback, MovesToANewNameAndRefusesAnExistingOne) {
  const auto from = folder / "1.xls";
  const auto to = folder / "w.xls";
  write_file(from, "copy");
  automation::rename_without_replacing(from, to, calls());
  EXPECT_EQ(read_file(to), "copy");
  EXPECT_FALSE(std::filesystem::exists(from));

  write_file(from, "second copy");
  try {
    automation::rename_without_replacing(from, to, calls());
    FAIL() << "an existing name was replaced";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.number(), platform::kFileAlreadyExists);
  }
  EXPECT_EQ(read_file(to), "copy");
  EXPECT_EQ(read_file(from), "second copy");
}

INSTANTIATE_TEST_SUITE_P(Cases, RenameFallback,
                         ::testing::Values(FallbackCase{"networkShare", EINVAL, 0},
                                           FallbackCase{"oldKernel", ENOSYS, 0},
                                           FallbackCase{"noHardLinks", EINVAL, EPERM}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace schreiber::testing
