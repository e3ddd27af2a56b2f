// schreiber-icon-file: writes the program's icon (32 and 16 pixels, 16 colours) as an .ico
// file, drawn by the same code as the window's pictures; the build puts it into the
// program's resources.

#include <cstdio>

#include "window/win32/picture_gdi.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: schreiber-icon-file OUT.ico\n");
    return 64;
  }
  namespace pictures = schreiber::window::pictures;
  const auto bytes =
      schreiber::window::win32::icon_file({pictures::window_icon(32), pictures::window_icon(16)});
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "schreiber-icon-file: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
