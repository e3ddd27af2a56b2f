// ExportBlock: one block of BlockTable into its own copy of a workbook template.

#include <optional>
#include <string>

#include "automation/automation.h"
#include "convert/export_messages.h"
#include "convert/module1.h"
#include "platform/checked_int.h"
#include "platform/codepage.h"
#include "platform/failure.h"

namespace schreiber::convert {
namespace {

constexpr char kSoh = 1;
constexpr char kStx = 2;
constexpr char kEtx = 3;
constexpr const char* kSheetName = "Data";
constexpr const char* kEndMarker = "*'*";
constexpr std::int32_t kFirstFieldRow = 5;

bool ends_cell(char c) {
  return c == kSoh || c == kStx || c == kEtx;
}

}  // namespace

void Module1::ExportBlock(const std::int16_t& block, const std::string& workbook_name,
                          const std::string& template_name) {
  using platform::Failure;
  Display& display = context_.display;
  const auto template_folder = context_.folder / "FILES" / "Vor";
  const auto data_folder = context_.folder / "Data";
  const auto template_file = platform::codepage_to_file_name(template_name);
  const auto workbook_file = platform::codepage_to_file_name(workbook_name);

  // File preparation. Every failure here passes to the caller; the rename never
  // replaces a workbook that is already there.
  {
    auto file_system = automation::as<automation::FileSystemObject>(
        context_.automation.CreateObject(automation::kFileSystemObject));
    auto file = file_system->GetFile(template_folder / template_file);
    file->Copy(data_folder / "");
    context_.automation.Name(data_folder / template_file, data_folder / workbook_file);
  }

  const auto open_and_activate = [&] {
    // An attach that failed without a handled number leaves no application to use.
    if (!ExcelApp) throw Failure(91, "Object variable or With block variable not set");
    ExcelApp->Workbooks()->Open(data_folder / workbook_file);
    open_workbook_ = workbook_name;
    ExcelApp->Workbooks()->Item(workbook_name)->Worksheets(kSheetName)->Activate();
  };

  // Once a failure is being handled, any further failure passes to the caller.
  bool handling = false;
  if (!ExcelStarted) {
    std::optional<Failure> failure;
    try {
      ExcelApp = automation::as<automation::Application>(
          context_.automation.GetObject(automation::kExcelApplication));
    } catch (const Failure& attach_failure) {
      failure = attach_failure;
    }
    for (;;) {
      if (failure) {
        handling = true;
        if (failure->number() == platform::kCannotCreateObject) {
          ExcelApp = automation::as<automation::Application>(
              context_.automation.CreateObject(automation::kExcelApplication));
        } else if (failure->number() == platform::kPermissionDenied) {
          display.MsgBox(permission_message(workbook_name), kCritical, kPermissionTitle);
          context_.end_program(platform::kExitFailure);
        } else if (failure->number() > 0) {
          display.MsgBox(cancel_message(*failure, workbook_name), kCritical, kCancelTitle);
          context_.end_program(platform::kExitFailure);
        }
        // A number of 0 or below (a client's own code for a busy application) passes the
        // checks: the open is tried again, and a further failure goes to the caller.
      }
      ExcelStarted = true;
      if (handling) {
        open_and_activate();
        break;
      }
      try {
        open_and_activate();
        break;
      } catch (const Failure& open_failure) {
        failure = open_failure;  // back to the attach checks with this number
      }
    }
  } else {
    open_and_activate();
  }

  std::shared_ptr<automation::Worksheet> sheet;
  const auto close_steps = [&] {
    display.Label4_SetCaption("");
    display.Label4_Refresh();
    ExcelApp->Workbooks()->Item(workbook_name)->Close(true);
    open_workbook_.clear();
    sheet.reset();
  };
  const auto write_fields = [&] {
    sheet = ExcelApp->Workbooks()->Item(workbook_name)->Worksheets(kSheetName);
    write_block(block, *sheet);
    sheet->SetCells(1, 1, "OK");
  };

  if (handling) {
    write_fields();
    close_steps();
    return;
  }
  try {
    write_fields();
  } catch (const Failure&) {
    // The workbook keeps what was written, without "OK"; the next block follows.
    close_steps();
    return;
  }
  try {
    close_steps();
  } catch (const Failure&) {
    close_steps();
  }
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

// Writes every field of the block as one row, up to the first field that is too short.
// Fields, rows and columns are counted in 32 bits, so that only the sheet's own limits
// stop a large block.
void Module1::write_block(std::int16_t block, automation::Worksheet& sheet) {
  Display& display = context_.display;
  const std::int32_t field_bound = BlockTable.field_bound();
  const std::string bound_text = std::to_string(field_bound);
  for (std::int32_t field = 0; field <= field_bound; ++field) {
    const std::string& text = BlockTable.at(block, field);
    if (text.size() < 2) break;
    display.Label4_SetCaption(std::to_string(field) + " - " + bound_text);
    display.Label4_Refresh();

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

}  // namespace schreiber::convert
