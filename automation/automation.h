#pragma once
// The outside components the export drives, as C++ interfaces with exactly the members
// it calls: "Excel.Application" and "Scripting.FileSystemObject", obtained by class name.
// Every failure is a platform::Failure with the number the automation layer reports.
// Texts (names, cell values) are bytes of the single-byte code page; full paths are file
// system paths, made by the caller from the program's folder and such names.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace schreiber::automation {

inline constexpr const char* kExcelApplication = "Excel.Application";
inline constexpr const char* kFileSystemObject = "Scripting.FileSystemObject";

class Object {
 public:
  virtual ~Object() = default;
};

class Worksheet : public Object {
 public:
  virtual void Activate() = 0;
  // Cells(row, column) = text; row and column count from 1.
  virtual void SetCells(std::int32_t row, std::int32_t column, const std::string& text) = 0;
};

class Workbook : public Object {
 public:
  // The sheet of that name; fails with 9 when there is none.
  virtual std::shared_ptr<Worksheet> Worksheets(const std::string& name) = 0;
  // Closes the workbook, saving it to the file it was opened from when `save_changes`.
  virtual void Close(bool save_changes) = 0;
};

class Workbooks : public Object {
 public:
  virtual void Open(const std::filesystem::path& full_path) = 0;
  // The open workbook with this bare file name (code-page bytes, compared without regard
  // to case); fails with 9 when there is none.
  virtual std::shared_ptr<Workbook> Item(const std::string& name) = 0;
};

class Application : public Object {
 public:
  virtual std::shared_ptr<automation::Workbooks> Workbooks() = 0;
  virtual void Quit() = 0;
};

class File : public Object {
 public:
  // Copies the file into a folder (path ending in a separator), replacing a file of
  // the same name there.
  virtual void Copy(const std::filesystem::path& destination_folder) = 0;
};

class FileSystemObject : public Object {
 public:
  virtual std::shared_ptr<File> GetFile(const std::filesystem::path& full_path) = 0;
};

// Where objects come from: one place decides which backend serves a class name.
class Automation {
 public:
  virtual ~Automation() = default;
  // A new instance of the class; fails with 429 when it cannot be created.
  virtual std::shared_ptr<Object> CreateObject(const std::string& class_name) = 0;
  // The running instance of the class; fails with 429 when there is none to attach to.
  virtual std::shared_ptr<Object> GetObject(const std::string& class_name) = 0;
  // The plain file rename: fails when `from` is missing or `to` exists; never replaces.
  virtual void Name(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
};

}  // namespace schreiber::automation

namespace schreiber::automation {

// The object as the interface the caller needs; fails with 13 "Type mismatch" otherwise.
template <typename Interface>
std::shared_ptr<Interface> as(const std::shared_ptr<Object>& object);

}  // namespace schreiber::automation

#include "platform/failure.h"

template <typename Interface>
std::shared_ptr<Interface> schreiber::automation::as(const std::shared_ptr<Object>& object) {
  auto typed = std::dynamic_pointer_cast<Interface>(object);
  if (!typed) platform::raise_failure(platform::kTypeMismatch);
  return typed;
}
