#pragma once
// A stand-in for "Excel.Application" for the failure paths the embedded one cannot take
// (no instance to attach to, access refused, a failing close): it records every call in
// order, keeps the cells written, and fails a chosen call with a chosen number.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/automation.h"
#include "automation/class_registry.h"
#include "automation/file_system_object.h"
#include "platform/failure.h"

namespace schreiber::testing {

struct FakeExcelLog {
  std::vector<std::string> calls;
  // Cells of the sheet "Data" per workbook name: (row, column) -> text.
  std::map<std::string, std::map<std::pair<int, int>, std::string>> cells;
  std::vector<std::string> open;  // workbook names open right now
  std::vector<std::string> saved;
  // Fails the call whose log line starts with the key, the given number of times.
  struct Planned {
    int number;
    std::string description;
    int times = 1;
  };
  std::map<std::string, Planned> failures;
  std::vector<std::string> sheets = {"Data"};

  void call(const std::string& line) {
    calls.push_back(line);
    for (auto& [prefix, planned] : failures) {
      if (planned.times > 0 && line.rfind(prefix, 0) == 0) {
        --planned.times;
        throw platform::Failure(planned.number, planned.description);
      }
    }
  }
};

class FakeExcel : public automation::Application, public std::enable_shared_from_this<FakeExcel> {
 public:
  explicit FakeExcel(std::shared_ptr<FakeExcelLog> log) : log_(std::move(log)) {}

  struct Sheet : automation::Worksheet {
    std::shared_ptr<FakeExcelLog> log;
    std::string book;
    void Activate() override { log->call("Activate " + book); }
    void SetCells(std::int32_t row, std::int32_t column, const std::string& text) override {
      log->call("Cells(" + std::to_string(row) + "," + std::to_string(column) + ")=" + text);
      log->cells[book][{row, column}] = text;
    }
  };
  struct Book : automation::Workbook {
    std::shared_ptr<FakeExcelLog> log;
    std::string name;
    std::shared_ptr<automation::Worksheet> Worksheets(const std::string& sheet) override {
      log->call("Worksheets " + sheet);
      bool found = false;
      for (const auto& s : log->sheets) found = found || s == sheet;
      if (!found) throw platform::Failure(9, "Subscript out of range");
      auto result = std::make_shared<Sheet>();
      result->log = log;
      result->book = name;
      return result;
    }
    void Close(bool save) override {
      log->call(std::string("Close ") + (save ? "True " : "False ") + name);
      if (save) log->saved.push_back(name);
      std::erase(log->open, name);
    }
  };
  struct Books : automation::Workbooks {
    std::shared_ptr<FakeExcelLog> log;
    void Open(const std::filesystem::path& path) override {
      log->call("Open " + path.filename().string());
      log->open.push_back(path.filename().string());
    }
    std::shared_ptr<automation::Workbook> Item(const std::string& name) override {
      log->call("Workbooks " + name);
      if (std::find(log->open.begin(), log->open.end(), name) == log->open.end()) {
        throw platform::Failure(9, "Subscript out of range");
      }
      auto book = std::make_shared<Book>();
      book->log = log;
      book->name = name;
      return book;
    }
  };

  std::shared_ptr<automation::Workbooks> Workbooks() override {
    auto books = std::make_shared<Books>();
    books->log = log_;
    return books;
  }
  void Quit() override { log_->call("Quit"); }

 private:
  std::shared_ptr<FakeExcelLog> log_;
};

// Serves the fake as "Excel.Application", with attach and create logged (and failing as
// planned under "GetObject" and "CreateObject"); files are real.
inline void serve_fake_excel(automation::ClassRegistry& registry,
                             std::shared_ptr<FakeExcelLog> log) {
  registry.serve(
      automation::kExcelApplication,
      [log]() -> std::shared_ptr<automation::Object> {
        log->call("CreateObject Excel.Application");
        return std::make_shared<FakeExcel>(log);
      },
      [log]() -> std::shared_ptr<automation::Object> {
        log->call("GetObject Excel.Application");
        return std::make_shared<FakeExcel>(log);
      });
  registry.serve(
      automation::kFileSystemObject,
      [] { return std::make_shared<automation::LocalFileSystemObject>(); }, nullptr);
}

inline std::unique_ptr<automation::ClassRegistry> make_fake_automation(
    std::shared_ptr<FakeExcelLog> log) {
  auto registry = std::make_unique<automation::ClassRegistry>();
  serve_fake_excel(*registry, std::move(log));
  return registry;
}

}  // namespace schreiber::testing
