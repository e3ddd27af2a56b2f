#include "automation/embedded_excel.h"

#include "automation/cell_assignment.h"
#include "automation/class_registry.h"
#include "automation/engine_refusal.h"

#include <string>

#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "xls/error.h"
#include "xls/workbook.h"

namespace schreiber::automation {
namespace {

// The engine refuses with its own error; here it becomes the failure the application
// would report. The engine describes in UTF-8, a failure in the code page.
template <typename Action>
auto engine_call(Action&& action) {
  try {
    return action();
  } catch (const xls::Error& error) {
    throw platform::Failure(refusal_number(error.kind()),
                            platform::utf8_to_codepage(error.description()));
  }
}

}  // namespace

class EmbeddedWorkbook : public Workbook, public std::enable_shared_from_this<EmbeddedWorkbook> {
 public:
  EmbeddedWorkbook(const std::shared_ptr<EmbeddedApplication>& application,
                   std::filesystem::path path, xls::Workbook book)
      : application_(application),
        clock_(application->clock()),
        path_(std::move(path)),
        book_(std::move(book)) {}

  std::shared_ptr<Worksheet> Worksheets(const std::string& name) override;
  // As the application does, a workbook without changes is not saved: its file stays as it
  // was, byte for byte.
  void Close(bool save_changes) override {
    if (save_changes && book_.changed()) engine_call([&] { book_.save(); });
    if (auto application = application_.lock()) {
      auto& open = application->open_workbooks();
      open.erase(std::remove(open.begin(), open.end(), shared_from_this()), open.end());
    }
  }

  const std::filesystem::path& path() const { return path_; }
  xls::Workbook& book() { return book_; }
  const platform::Clock& clock() const { return clock_; }

 private:
  std::weak_ptr<EmbeddedApplication> application_;
  const platform::Clock& clock_;
  std::filesystem::path path_;
  xls::Workbook book_;
};

namespace {

class EmbeddedWorksheet : public Worksheet {
 public:
  EmbeddedWorksheet(std::shared_ptr<EmbeddedWorkbook> workbook, std::size_t index)
      : workbook_(std::move(workbook)), index_(index) {}

  // The text is stored as the spreadsheet application stores it: as a number, a date, a
  // boolean, ... where it reads as one.

  void Activate() override {}  // nothing is shown; the sheet exists, which is what counts

  void SetCells(std::int32_t row, std::int32_t column, const std::string& text) override {
    if (row < 1 || column < 1) {
      throw platform::Failure(platform::kApplicationDefined,
                              "Application-defined or object-defined error");
    }
    engine_call([&] {
      assign_cell_text(workbook_->book(), index_, row, column, platform::codepage_to_utf16(text),
                       workbook_->clock().now().year);
    });
  }

 private:
  std::shared_ptr<EmbeddedWorkbook> workbook_;
  std::size_t index_;
};

class EmbeddedWorkbooks : public Workbooks {
 public:
  explicit EmbeddedWorkbooks(std::shared_ptr<EmbeddedApplication> application)
      : application_(std::move(application)) {}

  void Open(const std::filesystem::path& full_path) override {
    auto book = engine_call([&] { return xls::Workbook::open(full_path); });
    application_->open_workbooks().push_back(
        std::make_shared<EmbeddedWorkbook>(application_, full_path, std::move(book)));
  }

  std::shared_ptr<Workbook> Item(const std::string& name) override {
    const std::string wanted = platform::codepage_to_file_name(name).string();
    for (const auto& workbook : application_->open_workbooks()) {
      if (platform::equal_ignoring_case(workbook->path().filename().string(), wanted))
        return workbook;
    }
    platform::raise_failure(platform::kSubscriptOutOfRange);
  }

 private:
  std::shared_ptr<EmbeddedApplication> application_;
};

}  // namespace

std::shared_ptr<Worksheet> EmbeddedWorkbook::Worksheets(const std::string& name) {
  const auto index = book_.find_sheet(platform::codepage_to_utf16(name));
  if (!index) platform::raise_failure(platform::kSubscriptOutOfRange);
  return std::make_shared<EmbeddedWorksheet>(shared_from_this(), *index);
}

std::shared_ptr<automation::Workbooks> EmbeddedApplication::Workbooks() {
  return std::make_shared<EmbeddedWorkbooks>(shared_from_this());
}

void EmbeddedApplication::Quit() {
  open_.clear();
}

void serve_embedded_excel(ClassRegistry& registry, const platform::Clock& clock) {
  auto running = std::make_shared<std::shared_ptr<EmbeddedApplication>>();
  registry.serve(
      kExcelApplication, [&clock] { return std::make_shared<EmbeddedApplication>(clock); },
      [running, &clock] {
        if (!*running) *running = std::make_shared<EmbeddedApplication>(clock);
        return *running;
      });
}

}  // namespace schreiber::automation
