#include "templates.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "xls_test_support.h"

namespace xls_test {

namespace {

// Tests run as separate processes, two at a time: a lock keeps them from making the
// templates, or running LibreOffice on its profile, at the same time.
class TemplateLock {
 public:
  TemplateLock() : folder_(binary_dir() / "tests/xls/templates") {
    std::filesystem::create_directories(folder_);
    fd_ = ::open((folder_ / "lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
      throw std::runtime_error("cannot lock the template folder");
  }
  ~TemplateLock() { ::close(fd_); }
  TemplateLock(const TemplateLock&) = delete;
  TemplateLock& operator=(const TemplateLock&) = delete;
  const std::filesystem::path& folder() const { return folder_; }
  std::string profile_url() const { return "file://" + (folder_ / "profile").string(); }

 private:
  std::filesystem::path folder_;
  int fd_;
};

}  // namespace

const std::filesystem::path& templates() {
  static const std::filesystem::path folder = [] {
    const TemplateLock lock;
    const auto made = lock.folder() / "made";
    const auto scripts = source_dir() / "tests/xls";
    const bool fresh = std::filesystem::exists(made) &&
                       std::filesystem::last_write_time(made) >
                           std::filesystem::last_write_time(scripts / "make_xlwt_templates.py") &&
                       std::filesystem::last_write_time(made) >
                           std::filesystem::last_write_time(scripts / "make_lo_templates.py");
    if (!fresh) {
      std::filesystem::remove(made);
      // A generator that fails leaves the folder unmarked, and every test that needs the
      // templates fails with its output, rather than reading stale or missing files.
      const auto generate = [](const std::string& command) {
        FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
        if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
        std::string output;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
          output.append(buffer, n);
        if (::pclose(pipe) != 0)
          throw std::runtime_error("making the templates failed: " + command + "\n" + output);
      };
      generate("/usr/bin/python3 " + quoted(scripts / "make_xlwt_templates.py") + " " +
               quoted(lock.folder()));
      generate("/usr/bin/python3 " + quoted(scripts / "make_lo_templates.py") + " " +
               quoted(lock.folder()) + " " + quoted(lock.folder() / "profile"));
      write_file(made, "");
    }
    return lock.folder();
  }();
  return folder;
}

void convert_to_csv(const std::filesystem::path& folder,
                    const std::vector<std::filesystem::path>& workbooks, CsvCells cells) {
  // The filter's options: comma, double quote, UTF-8, from line 1, the language (1033: US
  // English), ..., whether cells are written as shown, ..., every sheet.
  const std::string options = cells == CsvCells::as_shown
                                  ? "44,34,76,1,,0,false,true,true,false,false,-1"
                                  : "44,34,76,1,,1033,false,true,false,false,false,-1";
  const TemplateLock lock;  // LibreOffice's profile is shared
  std::string command =
      "cd " + quoted(folder) +
      " && soffice -env:UserInstallation=" + quoted(std::filesystem::path(lock.profile_url())) +
      " --headless --convert-to 'csv:Text - txt - csv (StarCalc):" + options + "'";
  for (const auto& workbook : workbooks) command.append(" ").append(quoted(workbook));
  run(command + " >/dev/null 2>&1");
}

std::string libreoffice_cells(const std::string& arguments) {
  const TemplateLock lock;  // LibreOffice's profile is shared
  return run("/usr/bin/python3 " + quoted(source_dir() / "tests/xls/libreoffice_cells.py") + " " +
             quoted(lock.folder() / "profile") + " " + arguments);
}

}  // namespace xls_test
