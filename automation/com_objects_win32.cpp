// The members the export calls, each one automation call by name, in the order the
// export makes them. Names are code-page bytes; paths go over as the system's UTF-16.

#include "automation/com_objects_win32.h"

#include <optional>

#include "automation/com_dispatch_win32.h"
#include "platform/failure.h"
#include "platform/text_win32.h"

namespace schreiber::automation {
namespace {

using com::Dispatch;
using com::Variant;

Variant text(const std::string& bytes) {
  return Variant(platform::codepage_to_wide(bytes));
}
Variant path_text(const std::filesystem::path& path) {
  return Variant(path.native());
}

class ComWorksheet : public Worksheet {
 public:
  explicit ComWorksheet(Dispatch sheet) : sheet_(std::move(sheet)) {}

  void Activate() override { sheet_.call(L"Activate"); }

  // sheet.Cells(row, column) = text. The sheet's Cells object is asked for once and kept
  // while the export holds the sheet (one block): each further cell is one call.
  void SetCells(std::int32_t row, std::int32_t column, const std::string& value) override {
    if (!cells_) cells_.emplace(sheet_.get(L"Cells"));
    cells_->put_default({Variant(row), Variant(column)}, text(value));
  }

 private:
  Dispatch sheet_;
  std::optional<Dispatch> cells_;
};

class ComWorkbook : public Workbook {
 public:
  explicit ComWorkbook(Dispatch book) : book_(std::move(book)) {}

  // book.Worksheets(name)
  std::shared_ptr<Worksheet> Worksheets(const std::string& name) override {
    return std::make_shared<ComWorksheet>(book_.get(L"Worksheets").get_default({text(name)}));
  }

  // book.Close save_changes: one positional argument
  void Close(bool save_changes) override { book_.call(L"Close", {Variant(save_changes)}); }

 private:
  Dispatch book_;
};

class ComWorkbooks : public Workbooks {
 public:
  explicit ComWorkbooks(Dispatch books) : books_(std::move(books)) {}

  void Open(const std::filesystem::path& full_path) override {
    books_.call(L"Open", {path_text(full_path)});
  }

  // Workbooks(name)
  std::shared_ptr<Workbook> Item(const std::string& name) override {
    return std::make_shared<ComWorkbook>(books_.get_default({text(name)}));
  }

 private:
  Dispatch books_;
};

class ComApplication : public Application {
 public:
  explicit ComApplication(Dispatch application) : application_(std::move(application)) {}

  std::shared_ptr<automation::Workbooks> Workbooks() override {
    return std::make_shared<ComWorkbooks>(application_.get(L"Workbooks"));
  }

  void Quit() override { application_.call(L"Quit"); }

 private:
  Dispatch application_;
};

class ComFile : public File {
 public:
  ComFile(Dispatch file, std::filesystem::path path)
      : file_(std::move(file)), path_(std::move(path)) {}

  // file.Copy folder: no overwrite flag, the component's default (replace) applies. A
  // component that has the member without implementing it (Wine's) gets the same copy
  // from the system's own call.
  void Copy(const std::filesystem::path& destination_folder) override {
    try {
      file_.call(L"Copy", {path_text(destination_folder)});
    } catch (const platform::Failure& failure) {
      if (failure.number() != platform::kActionNotSupported) throw;
      copy_replacing(destination_folder);
    }
  }

 private:
  void copy_replacing(const std::filesystem::path& destination_folder) const {
    const auto target = destination_folder / path_.filename();
    if (CopyFileW(path_.c_str(), target.c_str(), FALSE)) return;
    const HRESULT code = HRESULT_FROM_WIN32(GetLastError());
    const std::int32_t number = com::failure_number(code);
    throw platform::Failure(number, com::failure_description(code, number) + ": " +
                                        platform::wide_to_codepage(target.native()));
  }

  Dispatch file_;
  std::filesystem::path path_;
};

class ComFileSystemObject : public FileSystemObject {
 public:
  explicit ComFileSystemObject(Dispatch file_system) : file_system_(std::move(file_system)) {}

  std::shared_ptr<File> GetFile(const std::filesystem::path& full_path) override {
    return std::make_shared<ComFile>(file_system_.get(L"GetFile", {path_text(full_path)}),
                                     full_path);
  }

 private:
  Dispatch file_system_;
};

constexpr const wchar_t* kExcelProgramId = L"Excel.Application";
constexpr const wchar_t* kFileSystemProgramId = L"Scripting.FileSystemObject";

}  // namespace

std::shared_ptr<Application> com_application(com::Dispatch application) {
  return std::make_shared<ComApplication>(std::move(application));
}

std::shared_ptr<FileSystemObject> com_file_system_object(com::Dispatch file_system) {
  return std::make_shared<ComFileSystemObject>(std::move(file_system));
}

std::shared_ptr<Application> attach_com_application() {
  return com_application(com::attach(kExcelProgramId));
}

std::shared_ptr<Application> create_com_application() {
  return com_application(com::create(kExcelProgramId));
}

bool com_application_registered() {
  return com::is_registered(kExcelProgramId);
}

std::shared_ptr<FileSystemObject> create_com_file_system_object() {
  return com_file_system_object(com::create(kFileSystemProgramId));
}

}  // namespace schreiber::automation
