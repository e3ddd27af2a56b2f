#include "excel_objects.h"

#include <cwchar>
#include <string>

#include "automation/cell_assignment.h"
#include "automation/engine_refusal.h"
#include "dispatch_object.h"
#include "xls/error.h"

namespace schreiber::test_server {
namespace {

std::wstring from_utf8(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

// The engine's refusals reach the client as the embedded application reports them.
HRESULT engine_failure(EXCEPINFO& info, const xls::Error& error) {
  return raise(
      info,
      MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, automation::refusal_number(error.kind())),
      from_utf8(error.description()));
}

bool reads(const Call& call) {
  return call.value == nullptr && (call.flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
}
bool calls(const Call& call) {
  return call.value == nullptr && (call.flags & DISPATCH_METHOD) != 0;
}

class Range : public DispatchObject {
 public:
  Range(ServerState& state, std::shared_ptr<OpenWorkbook> book, std::size_t sheet, long row,
        long column, bool one_cell)
      : DispatchObject(state, "Range", {}),
        book_(std::move(book)),
        sheet_(sheet),
        row_(row),
        column_(column),
        one_cell_(one_cell) {}

 private:
  HRESULT answer(const Call& call, EXCEPINFO& info) override {
    if (call.member != DISPID_VALUE || call.value == nullptr) return DISP_E_MEMBERNOTFOUND;
    long row = 1;
    long column = 1;
    if (call.args.size() == 2) {
      if (!as_number(*call.args[0], row) || !as_number(*call.args[1], column)) {
        return DISP_E_TYPEMISMATCH;
      }
    } else if (!call.args.empty()) {
      return DISP_E_BADPARAMCOUNT;
    } else if (!one_cell_) {
      return E_NOTIMPL;  // filling every cell of the sheet: not modelled
    }
    std::wstring text;
    if (!as_text(*call.value, text)) return DISP_E_TYPEMISMATCH;
    if (book_->closed) return RPC_E_DISCONNECTED;
    if (++book_->cells_written == 5 && state_.workbooks_opened == 2 &&
        state_.fault == Fault::die_in_block) {
      state_.log.line("killed");
      TerminateProcess(GetCurrentProcess(), 1);
    }
    try {
      automation::assign_cell_text(
          book_->book, sheet_, row_ + row - 1, column_ + column - 1,
          std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
          state_.current_year);
    } catch (const xls::Error& error) {
      return engine_failure(info, error);
    }
    return S_OK;
  }

  std::shared_ptr<OpenWorkbook> book_;
  std::size_t sheet_;
  long row_;
  long column_;
  bool one_cell_;
};

class Worksheet : public DispatchObject {
 public:
  Worksheet(ServerState& state, std::shared_ptr<OpenWorkbook> book, std::size_t sheet)
      : DispatchObject(state, "Worksheet", {L"Activate", L"Cells"}),
        book_(std::move(book)),
        sheet_(sheet) {}

 private:
  HRESULT answer(const Call& call, EXCEPINFO&) override {
    if (book_->closed) return RPC_E_DISCONNECTED;
    if (call.member == 1 && calls(call)) {
      return call.args.empty() ? S_OK : DISP_E_BADPARAMCOUNT;  // nothing is shown
    }
    if (call.member != 2 || !reads(call)) return DISP_E_MEMBERNOTFOUND;
    if (call.args.empty())
      return return_object(call, new Range(state_, book_, sheet_, 1, 1, false));
    long row = 0;
    long column = 0;
    if (call.args.size() != 2) return DISP_E_BADPARAMCOUNT;
    if (!as_number(*call.args[0], row) || !as_number(*call.args[1], column)) {
      return DISP_E_TYPEMISMATCH;
    }
    return return_object(call, new Range(state_, book_, sheet_, row, column, true));
  }

  std::shared_ptr<OpenWorkbook> book_;
  std::size_t sheet_;
};

// The sheet of that name, or DISP_E_BADINDEX ("Subscript out of range").
HRESULT sheet_named(ServerState& state, const std::shared_ptr<OpenWorkbook>& book,
                    const Call& call) {
  std::wstring name;
  if (!as_text(*call.args[0], name)) return DISP_E_TYPEMISMATCH;
  const auto sheet = book->book.find_sheet(
      std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
  if (!sheet) return DISP_E_BADINDEX;
  return return_object(call, new Worksheet(state, book, *sheet));
}

class Worksheets : public DispatchObject {
 public:
  Worksheets(ServerState& state, std::shared_ptr<OpenWorkbook> book)
      : DispatchObject(state, "Worksheets", {}), book_(std::move(book)) {}

 private:
  HRESULT answer(const Call& call, EXCEPINFO&) override {
    if (book_->closed) return RPC_E_DISCONNECTED;
    if (call.member != DISPID_VALUE || !reads(call)) return DISP_E_MEMBERNOTFOUND;
    if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
    return sheet_named(state_, book_, call);
  }

  std::shared_ptr<OpenWorkbook> book_;
};

class Workbook : public DispatchObject {
 public:
  Workbook(ServerState& state, std::shared_ptr<OpenWorkbook> book)
      : DispatchObject(state, "Workbook", {L"Worksheets", L"Close"}), book_(std::move(book)) {}

 private:
  HRESULT answer(const Call& call, EXCEPINFO& info) override {
    if (book_->closed) return RPC_E_DISCONNECTED;
    if (call.member == 1 && reads(call)) {
      // Worksheets, or Worksheets(name) as the collection's default member reads it
      if (call.args.size() == 1) return sheet_named(state_, book_, call);
      if (!call.args.empty()) return DISP_E_BADPARAMCOUNT;
      return return_object(call, new Worksheets(state_, book_));
    }
    if (call.member != 2 || !calls(call)) return DISP_E_MEMBERNOTFOUND;
    // Close(save changes): without the argument the application would ask; nothing is saved.
    bool save = false;
    if (call.args.size() > 1) return DISP_E_BADPARAMCOUNT;
    if (call.args.size() == 1 && !as_flag(*call.args[0], save)) return DISP_E_TYPEMISMATCH;
    try {
      if (save) book_->book.save();
    } catch (const xls::Error& error) {
      return engine_failure(info, error);
    }
    book_->closed = true;
    std::erase(state_.open, book_);
    return S_OK;
  }

  std::shared_ptr<OpenWorkbook> book_;
};

// The open workbook whose file has that name (without regard to case), or DISP_E_BADINDEX.
HRESULT workbook_named(ServerState& state, const Call& call) {
  std::wstring name;
  if (!as_text(*call.args[0], name)) return DISP_E_TYPEMISMATCH;
  for (const auto& book : state.open) {
    if (_wcsicmp(book->path.filename().c_str(), name.c_str()) == 0) {
      return return_object(call, new Workbook(state, book));
    }
  }
  return DISP_E_BADINDEX;
}

class Workbooks : public DispatchObject {
 public:
  explicit Workbooks(ServerState& state) : DispatchObject(state, "Workbooks", {L"Open"}) {}

 private:
  HRESULT answer(const Call& call, EXCEPINFO& info) override {
    if (call.member == DISPID_VALUE && reads(call)) {
      return call.args.size() == 1 ? workbook_named(state_, call) : DISP_E_BADPARAMCOUNT;
    }
    if (call.member != 1 || !calls(call)) return DISP_E_MEMBERNOTFOUND;
    if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
    std::wstring path;
    if (!as_text(*call.args[0], path)) return DISP_E_TYPEMISMATCH;
    if (state_.fault == Fault::open_exception) {
      return raise(info, static_cast<HRESULT>(0x800A03EC),
                   L"Die Methode 'Open' f\u00fcr das Objekt 'Workbooks' ist fehlgeschlagen.");
    }
    try {
      auto book = std::make_shared<OpenWorkbook>(path, xls::Workbook::open(path));
      state_.open.push_back(book);
      ++state_.workbooks_opened;
      return return_object(call, new Workbook(state_, book));
    } catch (const xls::Error& error) {
      return engine_failure(info, error);
    }
  }
};

class Application : public DispatchObject {
 public:
  explicit Application(ServerState& state)
      : DispatchObject(state, "Application", {L"Workbooks", L"Quit"}) {}

 private:
  HRESULT answer(const Call& call, EXCEPINFO&) override {
    if (call.member == 1 && reads(call)) {
      // Workbooks, or Workbooks(name) as the collection's default member reads it
      if (call.args.size() == 1) return workbook_named(state_, call);
      if (!call.args.empty()) return DISP_E_BADPARAMCOUNT;
      auto* workbooks = new Workbooks(state_);
      if (!state_.first_workbooks) state_.first_workbooks = static_cast<IDispatch*>(workbooks);
      return return_object(call, workbooks);
    }
    if (call.member != 2 || !calls(call)) return DISP_E_MEMBERNOTFOUND;
    if (!call.args.empty()) return DISP_E_BADPARAMCOUNT;
    // Every open workbook is closed without saving; the process ends after this call.
    for (const auto& book : state_.open) book->closed = true;
    state_.open.clear();
    PostQuitMessage(0);
    return S_OK;
  }
};

}  // namespace

IDispatch* new_application(ServerState& state) {
  return new Application(state);
}

}  // namespace schreiber::test_server
