#pragma once
// Form2 on Windows: a window of fixed size with native controls (a bitmap push button, a
// drop-down list, two static texts with fonts of their own, two static pictures), laid
// out in twips at the screen's resolution, offering the operations the logic performs on
// them. The event handlers are plugged in from outside (on_*); every one runs through
// run_handler, which turns the end of the program into the end of the message loop.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32_api.h"
#include "window/form2_design.h"
#include "window/handler_guard.h"
#include "window/keep_alive_pace.h"
#include "window/view.h"

namespace schreiber::window::win32 {

// Resource id of the program's icon.
inline constexpr int kIconResource = 1;

class Form2Window : public View {
 public:
  // `dots_per_inch` 0 takes the screen's resolution.
  explicit Form2Window(int dots_per_inch = 0);
  ~Form2Window() override;
  Form2Window(const Form2Window&) = delete;
  Form2Window& operator=(const Form2Window&) = delete;

  std::function<void()> on_form_load;
  std::function<void()> on_combo1_click;
  std::function<void()> on_command1_click;
  std::function<void()> on_form_unload;

  // Runs Form_Load; call once, before show().
  void load() { run_handler(on_form_load); }
  void show();
  // Runs the message loop until the program ends; returns its exit status.
  int run();

  // How the program ended, or nothing while it runs.
  std::optional<int> ended_status() const { return ended_status_; }

  HWND handle() const { return window_; }
  // Pixels for a length in twips at this window's resolution.
  int pixels(int twips) const;

  void Form2_Refresh() override;
  void Command1_SetVisible(bool visible) override;
  void Combo1_SetEnabled(bool enabled) override;
  std::int16_t Combo1_ListIndex() override;
  std::string Combo1_List(std::int16_t index) override;
  void Combo1_SetText(const std::string& text) override;
  void Label3_SetCaption(const std::string& caption) override;
  void Label3_SetVisible(bool visible) override;
  std::string Label4_Caption() override;
  void Label4_SetCaption(const std::string& caption) override;
  void Label4_SetVisible(bool visible) override;
  void Label4_Refresh() override;
  void Image1_SetVisible(bool visible) override;
  void Image2_SetVisible(bool visible) override;
  void MsgBox(const std::string& prompt, int style, const std::string& title) override;
  // Reads the message queue, so that the system does not take the window for hung, and
  // paints what needs painting, at most every few hundredths of a second. Input and
  // posted messages (a close among them) stay queued.
  void keep_alive() override;

 private:
  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle_message(UINT message, WPARAM w, LPARAM l);
  HWND make_control(const wchar_t* kind, DWORD style, const TwipsRect& place, int id);
  void run_handler(const std::function<void()>& handler);
  void end_program(int status);

  int dpi_;
  HWND window_ = nullptr;
  HWND command1_ = nullptr;
  HWND combo1_ = nullptr;
  HWND label4_ = nullptr;
  HWND label3_ = nullptr;
  HWND image2_ = nullptr;
  HWND image1_ = nullptr;
  HFONT label3_font_ = nullptr;
  HFONT label4_font_ = nullptr;
  HFONT control_font_ = nullptr;
  HBITMAP start_picture_ = nullptr;
  HBITMAP waiting_picture_ = nullptr;
  HBITMAP receiving_picture_ = nullptr;
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  std::string label4_caption_;  // code-page bytes, as the logic set them
  HandlerGuard guard_;
  std::optional<int> ended_status_;
  // A close that reached the window while a handler ran; handled when it has returned.
  bool close_pending_ = false;
  KeepAlivePace keep_alive_pace_;
};

}  // namespace schreiber::window::win32
