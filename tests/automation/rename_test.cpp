// The rename that never replaces, where the file system's rename cannot refuse an
// existing name by itself: its calls fail the way a network share (EINVAL), an old
// kernel (ENOSYS) or a file system without hard links (EPERM from link) makes them fail.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "automation/rename_posix.h"
#include "platform/failure.h"
#include "support/temp_folder.h"

namespace schreiber::testing {
namespace {

using Calls = std::vector<std::string>;

struct FallbackCase {
  const char* name;
  int rename_error;  // of the rename that refuses an existing name
  int link_error;    // 0: the real link
  Calls calls;       // made for a new name
};

class RenameFallback : public ::testing::TestWithParam<FallbackCase> {
 protected:
  // The system's calls, logged, with the two failures of the case.
  automation::RenameCalls calls() {
    const auto real = automation::RenameCalls::system();
    return {[this](const char*, const char*) { return log("renameat2", GetParam().rename_error); },
            [this, real](const char* from, const char* to) {
              return GetParam().link_error ? log("link", GetParam().link_error)
                                           : log("link", real.link(from, to));
            },
            [this, real](const char* path) { return log("unlink", real.unlink(path)); },
            [this, real](const char* from, const char* to) {
              return log("rename", real.rename(from, to));
            },
            [this, real](const char* path) {
              made.push_back("exists");
              return real.exists(path);
            }};
  }
  int log(const std::string& call, int result) {
    made.push_back(call);
    return result;
  }

  TempFolder folder;
  Calls made;
};

TEST_P(RenameFallback, MovesToANewNameAndRefusesAnExistingOne) {
  const auto from = folder / "1.xls";
  const auto to = folder / "w.xls";
  write_file(from, "copy");
  automation::rename_without_replacing(from, to, calls());
  EXPECT_EQ(made, GetParam().calls);
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

INSTANTIATE_TEST_SUITE_P(
    Cases, RenameFallback,
    ::testing::Values(FallbackCase{"networkShare", EINVAL, 0, {"renameat2", "link", "unlink"}},
                      FallbackCase{"oldKernel", ENOSYS, 0, {"renameat2", "link", "unlink"}},
                      FallbackCase{
                          "noHardLinks", EINVAL, EPERM, {"renameat2", "link", "exists", "rename"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace schreiber::testing
