// Automation on Windows: members called by name through IDispatch (checked against an
// object of the test's own that records every call), the system's own
// "Scripting.FileSystemObject", class lookups that fail with 429, and the embedded engine
// serving "Excel.Application" where no spreadsheet application is installed (as under Wine).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "automation/com_dispatch_win32.h"
#include "automation/com_objects_win32.h"
#include "automation/embedded_excel.h"
#include "automation/export_harness.h"
#include "platform/failure.h"
#include "platform/win32_api.h"
#include "support/failure_number.h"
#include "support/skip_or_fail.h"
#include "support/temp_folder.h"
#include "xls/workbook.h"

namespace schreiber {
namespace {

namespace com = automation::com;

using testing::failure_of;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

// ---------------------------------------------------------------------------------------
// An automation object of the test's own: every member name it is asked for gets the next
// id, every Invoke is written to the shared log as one line, and a property read returns a
// new recording object named after the member. A member named in `fail_member` raises an
// exception with a description of its own, as the spreadsheet application does.

struct CallLog {
  std::vector<std::wstring> names;
  std::vector<std::string> lines;
  std::vector<LCID> locales;  // of every GetIDsOfNames and Invoke
  std::wstring fail_member;
};

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '#';
  return out;
}

std::string describe(const VARIANT& value) {
  switch (value.vt) {
    case VT_BSTR: {
      std::string out = "\"";
      for (UINT i = 0; i < SysStringLen(value.bstrVal); ++i) {
        const wchar_t c = value.bstrVal[i];
        out +=
            c >= 0x20 && c < 0x80 ? std::string(1, static_cast<char>(c)) : "U+" + std::to_string(c);
      }
      return out + "\"";
    }
    case VT_I4:
      return std::to_string(value.lVal);
    case VT_BOOL:
      return value.boolVal == VARIANT_TRUE ? "True" : "False";
    default:
      return "vt" + std::to_string(value.vt);
  }
}

class RecordingObject : public IDispatch {
 public:
  RecordingObject(std::shared_ptr<CallLog> log, std::string name)
      : log_(std::move(log)), name_(std::move(name)) {}
  virtual ~RecordingObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (id == IID_IUnknown || id == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    log_->locales.push_back(locale);
    if (std::wstring(names[0]) == L"Unknown") {
      ids[0] = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    log_->names.push_back(names[0]);
    ids[0] = static_cast<DISPID>(log_->names.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    log_->locales.push_back(locale);
    const std::wstring member = id == DISPID_VALUE ? L"(default)" : log_->names.at(id - 1);
    std::string line = name_ + "." + narrow(member);
    line += (flags & DISPATCH_PROPERTYPUT) ? " put" : (flags & DISPATCH_PROPERTYGET) ? " get" : "";
    line += (flags & DISPATCH_METHOD) ? " call" : "";
    line += "(";
    const UINT named = params->cNamedArgs;
    // Positional arguments come last to first, after the named ones.
    for (UINT i = params->cArgs; i > named; --i) {
      line += describe(params->rgvarg[i - 1]) + (i - 1 > named ? ", " : "");
    }
    line += ")";
    if (named == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT) {
      line += " = " + describe(params->rgvarg[0]);
    }
    log_->lines.push_back(line);
    if (member == log_->fail_member) {
      *info = EXCEPINFO{};
      info->scode = static_cast<SCODE>(0x800A03EC);
      info->bstrSource = SysAllocString(L"Microsoft Excel");
      info->bstrDescription = SysAllocString(L"Die Methode ist fehlgeschlagen: \u00fc");
      return DISP_E_EXCEPTION;
    }
    if (result != nullptr && (flags & DISPATCH_PROPERTYGET)) {
      VariantInit(result);
      result->vt = VT_DISPATCH;
      result->pdispVal = new RecordingObject(log_, narrow(member));
    }
    return S_OK;
  }

 private:
  std::shared_ptr<CallLog> log_;
  std::string name_;
  ULONG references_ = 1;
};

com::Dispatch recording(const std::shared_ptr<CallLog>& log, const std::string& name) {
  return com::Dispatch(new RecordingObject(log, name));
}

TEST(ComMembers, EveryExportCallIsOneInvokeInTheOrderOfItsArgumentsEachIdAskedOnce) {
  auto log = std::make_shared<CallLog>();
  auto excel = automation::com_application(recording(log, "App"));
  excel->Workbooks()->Open(std::filesystem::path(L"C:\\P\\Data\\a.xls"));
  auto sheet = excel->Workbooks()->Item("a.xls")->Worksheets("Data");
  sheet->Activate();
  sheet->SetCells(6, 3, "K\xFChl\x02");
  sheet->SetCells(6, 4, "2.41");
  excel->Workbooks()->Item("a.xls")->Close(true);
  excel->Quit();

  const std::vector<std::string> expected = {
      "App.Workbooks get call()",
      "Workbooks.Open call(\"C:\\P\\Data\\a.xls\")",
      "App.Workbooks get call()",
      "Workbooks.(default) get call(\"a.xls\")",
      "(default).Worksheets get call()",
      "Worksheets.(default) get call(\"Data\")",
      "(default).Activate call()",
      "(default).Cells get call()",
      "Cells.(default) put(6, 3) = \"KU+252hlU+2\"",
      "Cells.(default) put(6, 4) = \"2.41\"",
      "App.Workbooks get call()",
      "Workbooks.(default) get call(\"a.xls\")",
      "(default).Close call(True)",
      "App.Quit call()",
  };
  EXPECT_EQ(log->lines, expected);
  // Each object is asked for a member's id once: the application for "Workbooks" once in
  // all, the sheet for "Cells" once for both cells, whose Cells object serves them both.
  const std::vector<std::wstring> looked_up = {L"Workbooks", L"Open",  L"Worksheets", L"Activate",
                                               L"Cells",     L"Close", L"Quit"};
  EXPECT_EQ(log->names, looked_up);
  // US English on every call, so that the application reads values the same everywhere.
  EXPECT_EQ(log->locales, std::vector<LCID>(log->locales.size(), 0x0409));
  EXPECT_FALSE(log->locales.empty());
}

TEST(ComMembers, AnExceptionOfTheObjectCarriesItsNumberAndDescription) {
  auto log = std::make_shared<CallLog>();
  log->fail_member = L"Open";
  auto excel = automation::com_application(recording(log, "App"));
  const auto failure = failure_of([&] { excel->Workbooks()->Open("C:\\x.xls"); });
  EXPECT_EQ(failure.number(), 1004);
  EXPECT_EQ(failure.description(), "Die Methode ist fehlgeschlagen: \xFC");
}

TEST(ComMembers, AMemberTheObjectDoesNotKnowIs438) {
  auto log = std::make_shared<CallLog>();
  const auto object = recording(log, "App");
  const auto failure = failure_of([&] { object.call(L"Unknown"); });
  EXPECT_EQ(failure.number(), 438);
  EXPECT_TRUE(log->lines.empty());
}

TEST(ComFailures, CodesBecomeTheNumbersOfTheAutomationLayer) {
  const struct {
    HRESULT code;
    std::int32_t number;
  } table[] = {
      {static_cast<HRESULT>(0x800A0035), 53},  // the component's own "File not found"
      {static_cast<HRESULT>(0x800A004C), 76},
      {DISP_E_BADINDEX, 9},
      {DISP_E_TYPEMISMATCH, 13},
      {E_ACCESSDENIED, 70},
      {HRESULT_FROM_WIN32(ERROR_FILE_EXISTS), 58},
      {REGDB_E_CLASSNOTREG, 429},
      {MK_E_UNAVAILABLE, 429},
      {E_FAIL, static_cast<std::int32_t>(0x80004005)},
  };
  for (const auto& row : table) {
    EXPECT_EQ(com::failure_number(row.code), row.number) << std::hex << row.code;
    EXPECT_FALSE(com::failure_description(row.code, row.number).empty());
  }
}

// ---------------------------------------------------------------------------------------
// The components of the machine.

TEST(ComClasses, AClassThatIsNotRegisteredOrNotRunningCannotBeReachedWith429) {
  EXPECT_FALSE(com::is_registered(L"Schreiber.NoSuchClass"));
  EXPECT_EQ(failure_of([] { com::create(L"Schreiber.NoSuchClass"); }).number(), 429);
  EXPECT_EQ(failure_of([] { com::attach(L"Schreiber.NoSuchClass"); }).number(), 429);
  // Registered, but no instance in the running object table.
  ASSERT_TRUE(com::is_registered(L"Scripting.FileSystemObject"));
  EXPECT_EQ(failure_of([] { com::attach(L"Scripting.FileSystemObject"); }).number(), 429);
}

TEST(FileSystemObject, TheSystemsOwnCopiesTheTemplateIntoTheDataFolder) {
  TempFolder folder;
  write_file(folder / "FILES" / "Vor" / "1.xls", "template bytes");
  write_file(folder / "Data" / "1.xls", "older copy");
  auto automation = automation::make_default_automation();
  auto file_system = automation::as<automation::FileSystemObject>(
      automation->CreateObject(automation::kFileSystemObject));
  auto file = file_system->GetFile(folder.path() / "FILES" / "Vor" / "1.xls");
  file->Copy(folder.path() / "Data" / "");
  // Replacing a file of the same name is the component's default.
  EXPECT_EQ(read_file(folder / "Data" / "1.xls"), "template bytes");

  const auto missing = failure_of([&] { file_system->GetFile(folder.path() / "FILES" / "2.xls"); });
  EXPECT_EQ(missing.number(), platform::kFileNotFound) << missing.description();
  const auto no_folder = failure_of([&] { file->Copy(folder.path() / "none" / ""); });
  EXPECT_EQ(no_folder.number(), platform::kPathNotFound) << no_folder.description();
  EXPECT_FALSE(std::filesystem::exists(folder / "none"));
}

TEST(DefaultAutomation, WithoutASpreadsheetApplicationTheEmbeddedEngineWritesTheWorkbook) {
  if (com::is_registered(L"Excel.Application"))
    SCHREIBER_SKIP_OR_FAIL("a spreadsheet application is installed");
  testing::ExportHarness h(automation::make_default_automation());
  EXPECT_NE(std::dynamic_pointer_cast<automation::EmbeddedApplication>(
                h.automation->GetObject(automation::kExcelApplication)),
            nullptr);
  xls::Workbook::create_blank().save_as(h.folder.path() / "FILES" / "Vor" / "1.xls");
  const std::string stx(1, '\x02');
  const std::string etx(1, '\x03');
  h.set_block(0, {"001" + stx + "K\xFChlung" + etx + "1.xls", "H" + stx + "12" + etx + "7"}, 2);
  ASSERT_FALSE(h.run(0, "K\xFChlung_20310307_1405.xls", "1.xls"));

  const auto path = h.folder.path() / L"Data" / L"K\u00fchlung_20310307_1405.xls";
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::exists(h.folder.path() / "Data" / "1.xls") == false);
  const auto book = xls::Workbook::open(path);
  const auto sheet = book.find_sheet(u"Data");
  ASSERT_TRUE(sheet);
  // What the sheet shows: "001", "12" and "7" are stored as numbers, as the application does.
  const auto text = [&](int row, int column) {
    const auto cell = book.cell(*sheet, row, column);
    return cell ? xls::display_text(cell->value) : u"(none)";
  };
  EXPECT_EQ(text(1, 1), u"OK");
  EXPECT_EQ(text(5, 1), u"1");
  EXPECT_EQ(book.cell(*sheet, 5, 1)->value.kind, xls::CellKind::number);
  EXPECT_EQ(text(5, 2), u"K\u00fchlung");
  EXPECT_EQ(text(5, 3), u"1.xls");
  EXPECT_EQ(text(5, 4), u"*'*");
  EXPECT_EQ(text(6, 1), u"H");
  EXPECT_EQ(text(6, 2), u"12");
  EXPECT_EQ(text(6, 3), u"7");
  EXPECT_EQ(text(6, 4), u"*'*");
}

}  // namespace
}  // namespace schreiber
