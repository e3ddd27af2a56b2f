// Saving: atomic replacement of the file, a failed save (at any step) leaves the old file
// as it was and no temporary file behind.

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/lock_files.h"
#include "xls/workbook.h"
#include "xls_test_support.h"

namespace xls_test {
namespace {

enum class Step { none, create, write, flush, close, replace };

const char* step_name(Step step) {
  static const char* const names[] = {"none", "create", "write", "flush", "close", "replace"};
  return names[static_cast<int>(step)];
}
void PrintTo(Step step, std::ostream* out) {
  *out << step_name(step);
}

// The real files, except that one step fails as a full disk or a lost folder would.
class FaultyFiles final : public xls::FileSystem {
 public:
  explicit FaultyFiles(Step failing) : failing_(failing) {}
  std::string read_file(const std::filesystem::path& path) const override {
    return real().read_file(path);
  }
  bool exists(const std::filesystem::path& path) const override { return real().exists(path); }
  Handle create_beside(const std::filesystem::path& target,
                       std::filesystem::path& created) const override {
    fail_at(Step::create, target);
    return real().create_beside(target, created);
  }
  void write(Handle file, std::string_view bytes,
             const std::filesystem::path& path) const override {
    if (failing_ == Step::write) {
      real().write(file, bytes.substr(0, bytes.size() / 2),
                   path);  // half of it, then the disk is full
      throw xls::Error(xls::ErrorKind::file_access,
                       "cannot write '" + path.string() + "': No space left on device");
    }
    real().write(file, bytes, path);
  }
  void flush(Handle file, const std::filesystem::path& path) const override {
    fail_at(Step::flush, path);
    real().flush(file, path);
  }
  void close(Handle file, const std::filesystem::path& path) const override {
    real().close(file, path);
    fail_at(Step::close, path);
  }
  void replace(const std::filesystem::path& from, const std::filesystem::path& to) const override {
    fail_at(Step::replace, to);
    real().replace(from, to);
  }
  void remove(const std::filesystem::path& path) const noexcept override { real().remove(path); }
  void remove_leftovers(const std::filesystem::path& folder) const noexcept override {
    real().remove_leftovers(folder);
  }
  void flush_folder(const std::filesystem::path& folder) const noexcept override {
    real().flush_folder(folder);
  }

 private:
  static const xls::FileSystem& real() { return xls::native_file_system(); }
  void fail_at(Step step, const std::filesystem::path& path) const {
    if (failing_ == step)
      throw xls::Error(xls::ErrorKind::file_access,
                       "cannot save '" + path.string() + "': Input/output error");
  }
  Step failing_;
};

std::vector<std::string> folder_listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FailedSave : public ::testing::TestWithParam<Step> {};

TEST_P(FailedSave, LeavesTheOldFileAndNoTemporaryFile) {
  TempFolder folder;
  const auto path = folder / "mappe.xls";
  xls::Workbook::create_blank().save_as(path);
  const std::string before = read_file(path);
  const FaultyFiles files(GetParam());
  xls::Workbook workbook = xls::Workbook::open(path, files);
  workbook.set_text(0, 1, 1, u"neu");
  try {
    workbook.save();
    FAIL() << "the save did not fail";
  } catch (const xls::Error& error) {
    EXPECT_EQ(error.kind(), xls::ErrorKind::file_access);
    EXPECT_NE(std::string(error.what()).find("mappe.xls"), std::string::npos) << error.what();
  }
  EXPECT_EQ(read_file(path), before);
  EXPECT_EQ(folder_listing(folder.path()), std::vector<std::string>{"mappe.xls"});
}

INSTANTIATE_TEST_SUITE_P(Steps, FailedSave,
                         ::testing::Values(Step::create, Step::write, Step::flush, Step::close,
                                           Step::replace),
                         [](const auto& test) { return std::string(step_name(test.param)); });

TEST(Save, ReplacesTheFileItWasOpenedFromOrSavedAs) {
  TempFolder folder;
  xls::Workbook workbook = xls::Workbook::create_blank();
  EXPECT_THROW(workbook.save(), xls::Error);  // no file yet
  workbook.save_as(folder / "a.xls");
  workbook.set_text(0, 1, 1, u"eins");
  workbook.save();
  EXPECT_EQ(workbook.path(), folder / "a.xls");
  EXPECT_EQ(xls::Workbook::open(folder / "a.xls").cell(0, 1, 1)->value.text, u"eins");
  EXPECT_EQ(folder_listing(folder.path()), std::vector<std::string>{"a.xls"});
  EXPECT_THROW(workbook.save_as(folder / "fehlt" / "b.xls"), xls::Error);  // no such folder
}

TEST(Save, AWorkbookNameAsLongAsTheFileSystemAllowsIsSaved) {
  TempFolder folder;
  const auto path = folder / (std::string(251, 'w') + ".xls");  // 255 bytes
  xls::Workbook workbook = xls::Workbook::create_blank();
  workbook.save_as(path);
  workbook.set_text(0, 1, 1, u"lang");
  workbook.save();
  EXPECT_EQ(xls::Workbook::open(path).cell(0, 1, 1)->value.text, u"lang");
  EXPECT_EQ(folder_listing(folder.path()), std::vector<std::string>{path.filename().string()});
}

// A crash in the middle of a save leaves the temporary file; the next save into that folder
// removes those whose process is gone, and nothing else.
TEST(Save, RemovesTemporaryFilesThatProcessesWhichAreGoneLeftInItsFolder) {
  TempFolder folder;
  const std::filesystem::path data = folder / "Data";
  const std::string gone = std::to_string(schreiber::testing::ended_process());
  const std::string alive = std::to_string(::getppid());
  struct Case {
    const char* name;
    std::string file;
    bool removed;
  };
  const std::vector<Case> cases = {
      {"left by a process that is gone", ".schreiber-" + gone + "-0.tmp", true},
      {"another save of that process", ".schreiber-" + gone + "-17.tmp", true},
      {"of a process that is still there", ".schreiber-" + alive + "-0.tmp", false},
      {"of the first process", ".schreiber-1-0.tmp", false},
      {"more after the name", ".schreiber-" + gone + "-0.tmp.bak", false},
      {"not hidden", "schreiber-" + gone + "-0.tmp", false},
      {"no save number", ".schreiber-" + gone + ".tmp", false},
      {"a letter in the number", ".schreiber-" + gone + "-0a.tmp", false},
      {"another program's", ".other-" + gone + "-0.tmp", false},
      {"a workbook", "Vorlauf_" + gone + ".xls", false},
  };
  for (const Case& c : cases) write_file(data / c.file, "left");
  // Only files: a folder and a link with that name stay, and so does what the link leads to.
  const std::string folder_name = ".schreiber-" + gone + "-1.tmp";
  const std::string link_name = ".schreiber-" + gone + "-2.tmp";
  std::filesystem::create_directory(data / folder_name);
  write_file(folder / "linked", "kept");
  std::filesystem::create_symlink(folder / "linked", data / link_name);
  // The same name in another folder: not where the save goes.
  write_file(folder / cases[0].file, "left");

  xls::Workbook::create_blank().save_as(data / "neu.xls");

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(std::filesystem::exists(data / c.file), !c.removed);
  }
  EXPECT_TRUE(std::filesystem::is_directory(data / folder_name));
  EXPECT_TRUE(std::filesystem::is_symlink(data / link_name));
  EXPECT_EQ(read_file(folder / "linked"), "kept");
  EXPECT_TRUE(std::filesystem::exists(folder / cases[0].file));
}

}  // namespace
}  // namespace xls_test
