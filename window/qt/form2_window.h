#pragma once
// Form2 on the Linux desktop: a fixed-size Qt window with the start button, the port list,
// the two status labels and the two status pictures, offering the operations the logic
// performs on them. The event handlers are plugged in from outside (on_*), and every one
// runs through run_handler, which turns the end of the program into the end of the event
// loop.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "window/form2_design.h"
#include "window/handler_guard.h"
#include "window/keep_alive_pace.h"
#include "window/view.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace schreiber::window::qt {

class Form2Window : public QWidget, public View {
 public:
  // `dots_per_inch` 0 takes the screen's logical resolution; 96 gives one pixel per 15
  // twips.
  explicit Form2Window(double dots_per_inch = 0);
  ~Form2Window() override;

  // The event handlers. Each runs to its end before the window handles the next event.
  std::function<void()> on_form_load;
  std::function<void()> on_combo1_click;
  std::function<void()> on_command1_click;
  std::function<void()> on_form_unload;

  // Runs Form_Load; call once, before show().
  void load() { run_handler(on_form_load); }

  // How the program ended (the event loop is told to quit with it), or nothing while it
  // runs.
  std::optional<int> ended_status() const { return ended_status_; }

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
  // Lets Qt handle what is not input (the window manager's ping, expose, moves), at most
  // every few hundredths of a second; clicks, keys and the close stay queued.
  void keep_alive() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class InputDrain;

  QRect place(const TwipsRect& twips) const;
  void run_handler(const std::function<void()>& handler);
  void end_program(int status);

  double scale_;
  QPushButton* command1_;
  QComboBox* combo1_;
  QLabel* label4_;
  QLabel* label3_;
  QLabel* image2_;
  QLabel* image1_;
  std::string label4_caption_;  // code-page bytes, as the logic set them
  HandlerGuard guard_;
  std::optional<int> ended_status_;
  // A close asked for while a handler ran; handled when it has returned.
  bool close_pending_ = false;
  KeepAlivePace keep_alive_pace_;
};

}  // namespace schreiber::window::qt
