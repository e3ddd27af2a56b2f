// schreiber: the desktop program. One window, no command line; the program's folder is
// the folder of this executable.

#include <QApplication>

#include "app/program.h"
#include "platform/program_folder.h"
#include "window/qt/form2_events.h"

int main(int argc, char** argv) {
  using namespace schreiber;
  QApplication application(argc, argv);
  QApplication::setApplicationName("schreiber");
  QGuiApplication::setDesktopFileName("schreiber");

  window::qt::Form2Window window;
  // The end of the program unwinds as ProgramEnded to the window's handler, which ends the
  // event loop with the status: nothing else runs after it.
  app::Program program(window, {platform::executable_folder(), nullptr});
  window::qt::connect_events(window, program.form());

  window.load();
  if (window.ended_status()) return *window.ended_status();
  window.show();
  const int status = QApplication::exec();
  return window.ended_status().value_or(status);
}
