#pragma once
// Helpers for the tests of the Qt window: the controls by name, their state in the
// headless view's terms, and the whole program around a real window in a temporary
// program folder.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "app/program.h"
#include "platform/codepage.h"
#include "support/temp_folder.h"
#include "window/headless_view.h"
#include "window/qt/form2_events.h"
#include "window/qt/form2_window.h"

namespace schreiber::testing {

template <typename Control>
Control* control(QWidget& window, const char* name) {
  auto* found = window.findChild<Control*>(QString::fromLatin1(name));
  if (found == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return found;
}

inline std::string codepage_text(const QString& text) {
  return platform::utf8_to_codepage(text.toStdString());
}

// What the window shows, as the headless view keeps it. "Visible" is the control's own
// setting, which holds even when the program has ended and the window is gone.
inline window::ControlState state_of(QWidget& window) {
  window::ControlState state;
  state.command1_visible = !control<QPushButton>(window, "Command1")->isHidden();
  auto* combo = control<QComboBox>(window, "Combo1");
  state.combo1_enabled = combo->isEnabled();
  state.combo1_list_index = static_cast<std::int16_t>(combo->currentIndex());
  auto* label3 = control<QLabel>(window, "Label3");
  state.label3_caption = codepage_text(label3->text());
  state.label3_visible = !label3->isHidden();
  auto* label4 = control<QLabel>(window, "Label4");
  state.label4_caption = codepage_text(label4->text());
  state.label4_visible = !label4->isHidden();
  state.image1_visible = !control<QLabel>(window, "Image1")->isHidden();
  state.image2_visible = !control<QLabel>(window, "Image2")->isHidden();
  return state;
}

// The program as `schreiber` puts it together, with a Qt window at 96 dots per inch, a
// short read time-out and an end function that records the status.
struct QtProgram {
  explicit QtProgram(std::int32_t read_timeout_ms = window::kReadTimeoutMs)
      : program(window, {folder.path(), [this](int status) { ended = status; }, read_timeout_ms}) {
    window::qt::connect_events(window, program.form());
    window.on_combo1_click = [this] {
      ++selection_events;
      program.form().Combo1_Click();
    };
  }

  // Runs `action` inside the application's event loop, as the program runs its handlers.
  // Returns the status the loop ended with when the program ended, nothing when the
  // program still runs afterwards.
  std::optional<int> run_in_event_loop(const std::function<void()>& action) {
    bool still_running = false;
    QTimer::singleShot(0, [&] {
      action();
      if (!window.ended_status()) {
        still_running = true;
        QCoreApplication::exit(0);
      }
    });
    const int status = QApplication::exec();
    if (still_running) return std::nullopt;
    return status;
  }

  TempFolder folder;
  window::qt::Form2Window window{96};
  std::optional<int> ended;
  int selection_events = 0;
  app::Program program;
};

}  // namespace schreiber::testing
