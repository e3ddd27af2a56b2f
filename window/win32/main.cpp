// schreiber: the desktop program. One window, no command line; the program's folder is
// the folder of this executable.

#include "app/program.h"
#include "platform/program_folder.h"
#include "platform/win32_api.h"
#include "window/win32/form2_window.h"

int main() {
  using namespace schreiber;
  // Twips are converted at the screen's real resolution, not a scaled 96 dots per inch.
  SetProcessDPIAware();

  window::win32::Form2Window window;
  // The end of the program unwinds as ProgramEnded to the window's handler, which ends the
  // message loop with the status: nothing else runs after it.
  app::Program program(window, {platform::executable_folder(), nullptr});
  window.on_form_load = [&] { program.form().Form_Load(); };
  window.on_combo1_click = [&] { program.form().Combo1_Click(); };
  window.on_command1_click = [&] { program.form().Command1_Click(); };
  window.on_form_unload = [&] { program.form().Form_Unload(); };

  window.load();
  if (window.ended_status()) return *window.ended_status();
  window.show();
  return window.run();
}
