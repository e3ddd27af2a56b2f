#pragma once
// The window's drawings (window/pictures/picture_shapes.h) painted with GDI: as bitmaps for the
// controls, at the screen's scale, and as the 16-colour icon file of the program.

#include <cstdint>
#include <vector>

#include "platform/win32_api.h"
#include "window/pictures/picture_shapes.h"

namespace schreiber::window::win32 {

// A 24-bit bitmap of the picture, `scale` screen pixels per picture pixel. The caller owns
// it (DeleteObject). A transparent background paints as `transparent`.
HBITMAP paint_bitmap(const pictures::Picture& picture, double scale,
                     pictures::Color transparent = pictures::kLightGrey);

// The picture's pixels, top row first, as 0xRRGGBB; nothing painted where the background is
// transparent is reported as `kNotPainted`.
inline constexpr std::uint32_t kNotPainted = 0xFF000000;
std::vector<std::uint32_t> paint_pixels(const pictures::Picture& picture, double scale = 1);

// An .ico file with one 16-colour image (4 bits per pixel, with a transparency mask) for
// each picture; every painted pixel takes the nearest of the 16 standard colours.
std::vector<std::uint8_t> icon_file(const std::vector<pictures::Picture>& images);

}  // namespace schreiber::window::win32
