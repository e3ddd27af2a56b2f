#pragma once
// Plugs Form2's event handlers into the Qt window.

#include "window/form2.h"
#include "window/qt/form2_window.h"

namespace schreiber::window::qt {

inline void connect_events(Form2Window& window, Form2& form) {
  window.on_form_load = [&form] { form.Form_Load(); };
  window.on_combo1_click = [&form] { form.Combo1_Click(); };
  window.on_command1_click = [&form] { form.Command1_Click(); };
  window.on_form_unload = [&form] { form.Form_Unload(); };
}

}  // namespace schreiber::window::qt
