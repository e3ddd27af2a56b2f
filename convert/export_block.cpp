// ExportBlock: one block of BlockTable into its own copy of a workbook template, in three
// phases: prepare the copy; attach to (or start) the spreadsheet application and open the
// copy; write the fields and close. Where a failure in them goes is the export's table of
// outcomes, applied in one place (BlockExport::handle).

#include <optional>
#include <string>

#include "automation/automation.h"
#include "convert/control_bytes.h"
#include "convert/export_messages.h"
#include "convert/module1.h"
#include "platform/checked_int.h"
#include "platform/codepage.h"
#include "platform/failure.h"

namespace schreiber::convert {
namespace {

using platform::Failure;

constexpr const char* kSheetName = "Data";
constexpr const char* kEndMarker = "*'*";
constexpr std::int32_t kFirstFieldRow = 5;

// A folder of the program's folder, spelled with the platform's separators.
std::filesystem::path below(const std::filesystem::path& folder, const char* relative) {
  return folder / std::filesystem::path(relative).make_preferred();
}

bool ends_cell(char c) {
  return c == kSOH || c == kSTX || c == kETX;
}

// The rows of the table of outcomes in which the call handles a failure itself. In every
// other situation the failure passes to the caller (ProcessBlocks): during the file
// preparation, while starting a new application, while opening when the application was
// there on entry, and in every step after the call has handled one failure.
enum class Row {
  attaching,             // the attach checks, with the failure's number
  opening_after_attach,  // the attach checks, with the failure's number
  writing,               // the closing steps; the call then returns as if nothing happened
  closing,               // the closing steps once more
};

// Runs one step under a row where the call handles a failure: returns the failure.
template <typename Step>
std::optional<Failure> failure_of(Step&& step) {
  try {
    step();
  } catch (const Failure& failure) {
    return failure;
  }
  return std::nullopt;
}

}  // namespace

// One call of ExportBlock.
class BlockExport {
 public:
  BlockExport(Module1& module, std::int16_t block, const std::string& workbook_name,
              const std::string& template_name)
      : m_(module),
        display_(module.context_.display),
        block_(block),
        workbook_name_(workbook_name),
        template_folder_(below(module.context_.folder, kTemplateFolder)),
        data_folder_(below(module.context_.folder, kDataFolder)),
        template_file_(platform::codepage_to_file_name(template_name)),
        workbook_file_(platform::codepage_to_file_name(workbook_name)) {}

  void run() {
    prepare_files();
    const bool handled = attach_and_open();
    write_and_close(handled);
  }

 private:
  // Phase 1: the template's copy under the workbook name. Every failure passes to the
  // caller; the rename never replaces a workbook that is already there.
  void prepare_files() {
    auto file_system = automation::as<automation::FileSystemObject>(
        m_.context_.automation.CreateObject(automation::kFileSystemObject));
    auto file = file_system->GetFile(template_folder_ / template_file_);
    file->Copy(data_folder_ / "");
    m_.context_.automation.Name(data_folder_ / template_file_, data_folder_ / workbook_file_);
  }

  // Phase 2: the run's application, attached to or started once, and the workbook open
  // with its sheet active. Returns true when it handled a failure on the way; every later
  // failure of the call then passes to the caller.
  bool attach_and_open() {
    if (m_.ExcelStarted) {
      open_workbook();  // no failure handled here: it passes to the caller
      return false;
    }
    if (const auto failure = failure_of([&] { attach(); })) {
      handle(Row::attaching, *failure);
      return true;
    }
    m_.ExcelStarted = true;
    if (const auto failure = failure_of([&] { open_workbook(); })) {
      handle(Row::opening_after_attach, *failure);
      return true;
    }
    return false;
  }

  void attach() {
    m_.ExcelApp = automation::as<automation::Application>(
        m_.context_.automation.GetObject(automation::kExcelApplication));
  }

  // 429 starts a new application (a failure there passes to the caller, and ExcelStarted
  // stays false); 70 and every other number above 0 end the program after their message.
  // A number of 0 or below (a client's own code for a busy application) passes the checks.
  void attach_checks(const Failure& failure) {
    if (failure.number() == platform::kCannotCreateObject) {
      m_.ExcelApp = automation::as<automation::Application>(
          m_.context_.automation.CreateObject(automation::kExcelApplication));
    } else if (failure.number() == platform::kPermissionDenied) {
      display_.MsgBox(permission_message(workbook_name_), kCritical, kPermissionTitle);
      m_.context_.end_program(platform::kExitFailure);
    } else if (failure.number() > 0) {
      display_.MsgBox(cancel_message(failure, workbook_name_), kCritical, kCancelTitle);
      m_.context_.end_program(platform::kExitFailure);
    }
  }

  void open_workbook() {
    // An attach that failed with a number the checks pass leaves no application to use.
    if (!m_.ExcelApp) platform::raise_failure(platform::kObjectVariableNotSet);
    m_.ExcelApp->Workbooks()->Open(data_folder_ / workbook_file_);
    m_.open_workbook_ = workbook_name_;
    m_.ExcelApp->Workbooks()->Item(workbook_name_)->Worksheets(kSheetName)->Activate();
  }

  // Phase 3: every field, "OK" last, then the closing steps.
  void write_and_close(bool handling) {
    if (handling) {  // a failure while one is handled passes to the caller
      write_fields();
      close_steps();
      return;
    }
    if (const auto failure = failure_of([&] { write_fields(); })) {
      handle(Row::writing, *failure);
    } else if (const auto closing_failure = failure_of([&] { close_steps(); })) {
      handle(Row::closing, *closing_failure);
    }
  }

  void write_fields() {
    sheet_ = m_.ExcelApp->Workbooks()->Item(workbook_name_)->Worksheets(kSheetName);
    write_block(*sheet_);
    sheet_->SetCells(1, 1, "OK");
  }

  void close_steps() {
    display_.Label4_SetCaption("");
    display_.Label4_Refresh();
    m_.ExcelApp->Workbooks()->Item(workbook_name_)->Close(true);
    m_.open_workbook_.clear();
    sheet_.reset();
  }

  // Writes every field of the block as one row, up to the first field that is too short.
  // Fields, rows and columns are counted in 32 bits, so that only the sheet's own limits
  // stop a large block.
  void write_block(automation::Worksheet& sheet) {
    const std::int32_t field_bound = m_.BlockTable.field_bound();
    const std::string bound_text = std::to_string(field_bound);
    for (std::int32_t field = 0; field <= field_bound; ++field) {
      const std::string& text = m_.BlockTable.at(block_, field);
      if (text.size() < 2) break;
      display_.Label4_SetCaption(std::to_string(field) + " - " + bound_text);
      display_.Label4_Refresh();

      const std::int32_t row = platform::add32(field, kFirstFieldRow);
      std::int32_t column = 0;
      std::string pending;
      const std::size_t length = text.size();
      for (std::size_t position = 1; position <= length; ++position) {
        const char c = text[position - 1];
        if (position == length || ends_cell(c)) {
          if (position == length) pending += c;
          column = platform::add32(column, 1);
          sheet.SetCells(row, column, pending);
          pending.clear();
        } else {
          pending += c;
        }
      }
      sheet.SetCells(row, platform::add32(column, 1), kEndMarker);
      if (field == field_bound) break;  // no increment past the largest 32-bit value
    }
  }

  // The table of outcomes, applied to a failure in one of the rows the call handles. The
  // steps run here handle nothing further: a failure in them passes to the caller.
  void handle(Row row, const Failure& failure) {
    switch (row) {
      case Row::attaching:
      case Row::opening_after_attach:
        attach_checks(failure);  // may end the program
        m_.ExcelStarted = true;
        open_workbook();  // tried again after an open that failed
        return;
      case Row::writing:
        // The workbook keeps what was written, without "OK"; the next block follows.
        close_steps();
        return;
      case Row::closing:
        // The closing steps are the failure target of the whole writing phase, themselves
        // included: a failure in them runs them once more from the caption on, and a
        // failure in that second run, while the first is handled, passes to the caller.
        close_steps();
        return;
    }
  }

  Module1& m_;
  Display& display_;
  const std::int16_t block_;
  const std::string& workbook_name_;
  const std::filesystem::path template_folder_;
  const std::filesystem::path data_folder_;
  const std::filesystem::path template_file_;
  const std::filesystem::path workbook_file_;
  std::shared_ptr<automation::Worksheet> sheet_;  // kept for the writes, released on close
};

void Module1::ExportBlock(const std::int16_t& block, const std::string& workbook_name,
                          const std::string& template_name) {
  BlockExport(*this, block, workbook_name, template_name).run();
}

void Module1::QuitAfterFailure() {
  if (ExcelStarted && ExcelApp) {
    try {
      if (!open_workbook_.empty()) ExcelApp->Workbooks()->Item(open_workbook_)->Close(false);
    } catch (const platform::Failure&) {
      // Quit closes it all the same.
    }
    try {
      ExcelApp->Quit();
    } catch (const platform::Failure&) {
      // The program ends anyway.
    }
  }
  open_workbook_.clear();
  ExcelApp.reset();
}

}  // namespace schreiber::convert
