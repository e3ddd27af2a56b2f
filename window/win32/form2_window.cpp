#include "window/win32/form2_window.h"

#include <cmath>
#include <exception>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/program_end.h"
#include "platform/text_win32.h"
#include "window/win32/picture_gdi.h"

namespace schreiber::window::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"SchreiberForm2";

enum ControlId : int { kCommand1 = 101, kCombo1, kLabel4, kLabel3, kImage2, kImage1 };

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::wstring wide(const std::string& bytes) {
  return platform::codepage_to_wide(bytes);
}

// The label's own font: bold "MS Sans Serif" of the given size, character set 0.
HFONT label_font(double points, int dpi) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
  font.lfWeight = FW_BOLD;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

// The desktop's message font, for the controls without a font of their own.
HFONT default_font() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return nullptr;
}

HICON load_icon(int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void register_class() {
  static const bool registered = [] {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = DefWindowProcW;  // replaced per window once it is made
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    kind.lpszClassName = kWindowClass;
    return RegisterClassExW(&kind) != 0;
  }();
  (void)registered;
}

// Clicks and keys that piled up while a handler ran are dropped, so that a click on a
// hidden start button cannot start another capture once it shows again. Closing the
// window is not input: a close that came in the meantime is handled.
void drain_input() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

}  // namespace

Form2Window::Form2Window(int dots_per_inch) : dpi_(dots_per_inch) {
  if (dpi_ <= 0) {
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi_ <= 0) dpi_ = 96;
  }
  register_class();

  RECT frame{0, 0, pixels(kClientWidthTwips), pixels(kClientHeightTwips)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, wide(kFormTitle).c_str(),
                            kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&window_procedure));

  icon_ = load_icon(GetSystemMetrics(SM_CXICON));
  small_icon_ = load_icon(GetSystemMetrics(SM_CXSMICON));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));

  control_font_ = default_font();
  label3_font_ = label_font(kLabel3Points, dpi_);
  label4_font_ = label_font(kLabel4Points, dpi_);
  const double scale = dpi_ / 96.0;
  start_picture_ = paint_bitmap(pictures::start_button(), scale);
  waiting_picture_ = paint_bitmap(pictures::waiting_picture(), scale);
  receiving_picture_ = paint_bitmap(pictures::receiving_picture(), scale);

  // The controls in the window's own order.
  command1_ = make_control(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP,
                           kCommand1Place, kCommand1);
  SendMessageW(command1_, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(start_picture_));

  // The height of a drop-down list is that of the list when it is open; the closed field
  // takes its height from the font.
  TwipsRect combo_place = kCombo1Place;
  combo_place.height = kCombo1Place.height * 8;
  combo1_ = make_control(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                         combo_place, kCombo1);
  for (const char* entry : kComboEntries) {
    SendMessageW(combo1_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry).c_str()));
  }

  label4_ = make_control(L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel4Place, kLabel4);
  SendMessageW(label4_, WM_SETFONT, reinterpret_cast<WPARAM>(label4_font_), FALSE);
  Label4_SetCaption(kLabel4DesignCaption);
  label3_ = make_control(L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel3Place, kLabel3);
  SendMessageW(label3_, WM_SETFONT, reinterpret_cast<WPARAM>(label3_font_), FALSE);
  Label3_SetCaption(kLabel3DesignCaption);

  image2_ = make_control(L"STATIC", SS_BITMAP, kImagePlace, kImage2);
  SendMessageW(image2_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(receiving_picture_));
  image1_ = make_control(L"STATIC", SS_BITMAP, kImagePlace, kImage1);
  SendMessageW(image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(waiting_picture_));

  // Tab goes between the list and the button, the list first.
  SetWindowPos(combo1_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetFocus(combo1_);
}

Form2Window::~Form2Window() {
  if (IsWindow(window_)) DestroyWindow(window_);
  for (HGDIOBJ object :
       {static_cast<HGDIOBJ>(label3_font_), static_cast<HGDIOBJ>(label4_font_),
        static_cast<HGDIOBJ>(control_font_), static_cast<HGDIOBJ>(start_picture_),
        static_cast<HGDIOBJ>(waiting_picture_), static_cast<HGDIOBJ>(receiving_picture_)}) {
    if (object != nullptr) DeleteObject(object);
  }
  if (icon_ != nullptr) DestroyIcon(icon_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
}

int Form2Window::pixels(int twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi_ / kTwipsPerInch));
}

HWND Form2Window::make_control(const wchar_t* kind, DWORD style, const TwipsRect& place, int id) {
  HWND control = CreateWindowExW(0, kind, L"", WS_CHILD | style, pixels(place.left),
                                 pixels(place.top), pixels(place.width), pixels(place.height),
                                 window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control_font_ != nullptr) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(control_font_), FALSE);
  }
  return control;
}

void Form2Window::show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

int Form2Window::run() {
  MSG message;
  while (!ended_status_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return ended_status_.value_or(0);
}

LRESULT CALLBACK Form2Window::window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<Form2Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, w, l);
  return self->handle_message(message, w, l);
}

LRESULT Form2Window::handle_message(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(w);
      const int code = HIWORD(w);
      if (id == kCombo1 && code == CBN_SELCHANGE) run_handler(on_combo1_click);
      if (id == kCommand1 && code == BN_CLICKED) run_handler(on_command1_click);
      return 0;
    }
    case WM_CLOSE:
      if (guard_.running() && !ended_status_) {
        close_pending_ = true;  // not while a capture runs: once it has returned
        return 0;
      }
      run_handler(on_form_unload);
      // Form_Unload ends the program; without a handler the window closes all the same.
      if (!ended_status_) end_program(platform::kExitNormal);
      return 0;
    case WM_DESTROY:
      return 0;
    default:
      return DefWindowProcW(window_, message, w, l);
  }
}

// The program's work runs inside here and lets the message queue be read only for paint
// and the messages other programs send (keep_alive), so no click, key or posted close
// reaches the window meanwhile. An end of the program unwinds to here as ProgramEnded;
// no exception may pass on into the system's message dispatch.
void Form2Window::run_handler(const std::function<void()>& handler) {
  if (ended_status_) return;
  const auto outcome = guard_.run(handler, *this);
  if (!outcome.ran) return;
  if (outcome.ended) {
    end_program(*outcome.ended);
    return;
  }
  if (IsWindowVisible(window_)) drain_input();
  if (close_pending_ && !ended_status_) {
    close_pending_ = false;
    PostMessageW(window_, WM_CLOSE, 0, 0);
  }
}

void Form2Window::end_program(int status) {
  ended_status_ = status;
  ShowWindow(window_, SW_HIDE);
  PostQuitMessage(status);
}

void Form2Window::Form2_Refresh() {
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  keep_alive();
}

// A peek at the queue is what the system watches: a thread that has not read it for
// 5 s while messages wait makes a ghost of its window. The peek also delivers the
// messages other threads and programs send. Only paint is taken from the queue: what is
// painted is what the last Refresh showed.
void Form2Window::keep_alive() {
  if (!keep_alive_pace_.due()) return;
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  // A window that never validates cannot keep this going: a bounded number of rounds.
  for (int round = 0; round < 64; ++round) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) break;
    DispatchMessageW(&message);
  }
}

void Form2Window::Command1_SetVisible(bool visible) {
  ShowWindow(command1_, visible ? SW_SHOWNA : SW_HIDE);
}

void Form2Window::Combo1_SetEnabled(bool enabled) {
  EnableWindow(combo1_, enabled ? TRUE : FALSE);
}

std::int16_t Form2Window::Combo1_ListIndex() {
  return static_cast<std::int16_t>(SendMessageW(combo1_, CB_GETCURSEL, 0, 0));
}

std::string Form2Window::Combo1_List(std::int16_t index) {
  const LRESULT length = SendMessageW(combo1_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index < 0 || length == CB_ERR) return "";
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(combo1_, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return platform::wide_to_codepage(text);
}

// Selecting an entry from the program raises the selection event, as a pick would (the
// list itself reports only the operator's picks).
void Form2Window::Combo1_SetText(const std::string& text) {
  const std::wstring wanted = wide(text);
  const LRESULT count = SendMessageW(combo1_, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (Combo1_List(static_cast<std::int16_t>(i)) != text) continue;
    SendMessageW(combo1_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    if (on_combo1_click) on_combo1_click();
    return;
  }
}

void Form2Window::Label3_SetCaption(const std::string& caption) {
  SetWindowTextW(label3_, wide(caption).c_str());
}

void Form2Window::Label3_SetVisible(bool visible) {
  ShowWindow(label3_, visible ? SW_SHOWNA : SW_HIDE);
}

std::string Form2Window::Label4_Caption() {
  return label4_caption_;
}

void Form2Window::Label4_SetCaption(const std::string& caption) {
  label4_caption_ = caption;
  SetWindowTextW(label4_, wide(caption).c_str());
}

void Form2Window::Label4_SetVisible(bool visible) {
  ShowWindow(label4_, visible ? SW_SHOWNA : SW_HIDE);
}

void Form2Window::Label4_Refresh() {
  RedrawWindow(label4_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  keep_alive();
}

void Form2Window::Image1_SetVisible(bool visible) {
  ShowWindow(image1_, visible ? SW_SHOWNA : SW_HIDE);
}

void Form2Window::Image2_SetVisible(bool visible) {
  ShowWindow(image2_, visible ? SW_SHOWNA : SW_HIDE);
}

// The style's numbers are the system's own: 16 is the stop icon, the low bits the buttons.
void Form2Window::MsgBox(const std::string& prompt, int style, const std::string& title) {
  HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
  MessageBoxW(owner, wide(prompt).c_str(), wide(title).c_str(),
              static_cast<UINT>(style) | MB_APPLMODAL);
}

}  // namespace schreiber::window::win32
