// schreiber-icon: writes the window icon at one size as a PNG file, for the desktop entry.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "window/qt/picture_painter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: schreiber-icon SIZE OUT.png\n");
    return 64;
  }
  const int size = std::atoi(argv[1]);
  if (size != 16 && size != 32) {
    std::fprintf(stderr, "schreiber-icon: SIZE must be 16 or 32\n");
    return 64;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QImage image =
      schreiber::window::qt::paint_picture(schreiber::window::pictures::window_icon(size));
  if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "schreiber-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
