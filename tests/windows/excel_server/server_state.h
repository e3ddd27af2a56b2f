#pragma once
// What the test server shares between its objects: the call log, the fault it was told to
// show, and the workbooks open in it.

#include <filesystem>
#include <memory>
#include <vector>

#include "call_log.h"
#include "xls/workbook.h"

namespace schreiber::test_server {

// The way a remote application fails, picked by SCHREIBER_SERVER_FAULT.
enum class Fault {
  none,
  refuse_access,      // "refuse-access": every call is refused for access (E_ACCESSDENIED)
  open_exception,     // "open-exception": Open raises 1004 with a description
  reject_first_open,  // "reject-first-open": the message filter rejects the first call to
                      // the Workbooks collection (the Open's), as a busy application does
  die_in_block,       // "die-in-block": the process ends at the 5th cell of the 2nd workbook
};

struct OpenWorkbook {
  OpenWorkbook(std::filesystem::path p, xls::Workbook b) : path(std::move(p)), book(std::move(b)) {}
  std::filesystem::path path;
  xls::Workbook book;
  bool closed = false;
  int cells_written = 0;
};

struct ServerState {
  ServerState(const std::wstring& log_path, Fault f, int year)
      : log(log_path), fault(f), current_year(year) {}
  CallLog log;
  Fault fault;
  int current_year;  // for dates typed without a year
  std::vector<std::shared_ptr<OpenWorkbook>> open;
  int workbooks_opened = 0;
  const void* first_workbooks = nullptr;  // the first Workbooks collection handed out
  bool rejected = false;
};

}  // namespace schreiber::test_server
