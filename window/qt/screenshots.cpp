// schreiber-screenshots: renders the window's three looks (idle, receiving, converting)
// into PNG files for the README, without a screen.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "window/qt/form2_window.h"

namespace {

using schreiber::window::qt::Form2Window;

bool save(Form2Window& window, const QDir& folder, const char* name) {
  window.Form2_Refresh();
  const QString path = folder.filePath(QString::fromLatin1(name));
  if (!window.grab().save(path, "PNG")) {
    std::fprintf(stderr, "schreiber-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: schreiber-screenshots OUTDIR\n");
    return 64;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(".")) return 1;

  // At 96 dots per inch: one pixel per 15 twips, as the window is laid out.
  Form2Window window(96);
  window.Combo1_SetText("COM 1");
  window.show();
  bool ok = save(window, folder, "idle.png");

  // Receiving: the capture has started and counted 27 STX so far.
  window.Image1_SetVisible(true);
  window.Command1_SetVisible(false);
  window.Label3_SetCaption("DATA-->PC");
  window.Label4_SetCaption("27");
  window.Label3_SetVisible(true);
  window.Label4_SetVisible(true);
  window.Combo1_SetEnabled(false);
  ok = save(window, folder, "receiving.png") && ok;

  // Converting: the instrument has sent DC1 and DC4; the export writes field 3 of 120.
  window.Label3_SetCaption("DATA-->EXCEL");
  window.Label4_SetCaption("3 - 120");
  window.Image1_SetVisible(false);
  window.Image2_SetVisible(true);
  window.Combo1_SetEnabled(true);
  ok = save(window, folder, "converting.png") && ok;
  return ok ? 0 : 1;
}
