// The lock files of the serial-device convention in a lock folder of the test's own: whose
// lock counts as held, and two processes that want the same stale lock at the same moment.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "comm/uucp_lock.h"
#include "support/lock_files.h"
#include "support/temp_folder.h"

namespace schreiber::comm {
namespace {

namespace fs = std::filesystem;
using testing::lock_text;

const fs::path kDevice = "/dev/ttyTEST0";

struct LockFolder {
  testing::TempFolder folder;
  std::vector<fs::path> folders{folder.path()};
  fs::path file = folder / "LCK..ttyTEST0";
};

TEST(UucpLock, ALockCountsAsHeldOnlyWhileAProcessThatWroteItIsThere) {
  struct Case {
    const char* name;
    std::optional<std::string> text;  // nothing: written by a lock this process holds
    bool held;
  };
  for (const Case& c : std::vector<Case>{
           {"a live process (init)", lock_text(1), true},
           {"a process that is gone", lock_text(testing::ended_process()), false},
           {"our process id, left by an earlier process with the same id", lock_text(::getpid()),
            false},
           {"our process id, written by this process", std::nullopt, true},
           {"being written: no process id yet", "", true},
           {"no process id in it", "busy\n", true},
       }) {
    SCOPED_TRACE(c.name);
    LockFolder locks;
    std::optional<UucpLock> earlier;
    if (c.text) {
      testing::write_file(locks.file, *c.text);
    } else {
      ASSERT_EQ(UucpLock::take(kDevice, locks.folders, earlier), UucpLock::Outcome::kTaken);
    }
    const auto holder = UucpLock::holder(kDevice, locks.folders);
    EXPECT_EQ(holder.has_value(), c.held);

    std::optional<UucpLock> taken;
    EXPECT_EQ(UucpLock::take(kDevice, locks.folders, taken),
              c.held ? UucpLock::Outcome::kHeldByOther : UucpLock::Outcome::kTaken);
    if (c.held) {
      EXPECT_EQ(testing::read_file(locks.file), c.text.value_or(lock_text(::getpid())));
      continue;
    }
    EXPECT_EQ(testing::read_file(locks.file), lock_text(::getpid()));
    taken.reset();
    EXPECT_FALSE(fs::exists(locks.file));
  }
}

// One contender in a child process: takes the lock when the parent says go, reports the
// outcome, and when told again reports whether the lock file still names it, then lets go.
class Contender {
 public:
  explicit Contender(const LockFolder& locks) {
    int to_child[2], from_child[2];
    if (::pipe(to_child) != 0 || ::pipe(from_child) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::close(to_child[1]);
      ::close(from_child[0]);
      run(locks, to_child[0], from_child[1]);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    to_ = to_child[1];
    from_ = from_child[0];
  }
  ~Contender() {
    ::close(to_);
    ::close(from_);
    ::waitpid(pid_, nullptr, 0);
  }
  void tell() const { (void)!::write(to_, "g", 1); }
  char answer() const {
    char c = '?';
    return ::read(from_, &c, 1) == 1 ? c : '?';
  }

 private:
  [[noreturn]] static void run(const LockFolder& locks, int in, int out) {
    char c = 0;
    (void)!::read(in, &c, 1);
    std::optional<UucpLock> taken;
    const auto outcome = UucpLock::take(kDevice, locks.folders, taken);
    (void)!::write(out, outcome == UucpLock::Outcome::kTaken ? "T" : "H", 1);
    (void)!::read(in, &c, 1);
    const bool mine = taken && testing::read_file(locks.file) == lock_text(::getpid());
    (void)!::write(out, mine ? "Y" : "N", 1);
    taken.reset();
    ::_exit(0);
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
};

TEST(UucpLock, OfTwoProcessesReplacingAStaleLockAtOnceOnlyOneTakesIt) {
  LockFolder locks;
  int both = 0, none = 0, lost_file = 0;
  for (int trial = 0; trial < 1000; ++trial) {
    testing::write_file(locks.file, lock_text(testing::ended_process()));
    {
      const Contender first(locks), second(locks);
      first.tell();
      second.tell();
      const char a = first.answer(), b = second.answer();
      both += a == 'T' && b == 'T';
      none += a != 'T' && b != 'T';
      // Both have answered: the loser is done. The winner's lock must still be there.
      first.tell();
      second.tell();
      const char a_mine = first.answer(), b_mine = second.answer();
      lost_file += (a == 'T' && a_mine != 'Y') || (b == 'T' && b_mine != 'Y');
    }
    EXPECT_FALSE(fs::exists(locks.file)) << "trial " << trial << ": the winner's close";
    if (both + none + lost_file > 0 || HasFailure()) break;
  }
  EXPECT_EQ(both, 0) << "both took the lock";
  EXPECT_EQ(none, 0) << "neither took the stale lock";
  EXPECT_EQ(lost_file, 0) << "the winner's lock file went before its close";
}

}  // namespace
}  // namespace schreiber::comm
