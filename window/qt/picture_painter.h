#pragma once
// Paints the window's pictures and icon with Qt.

#include <QIcon>
#include <QImage>

#include "window/pictures/picture_shapes.h"

namespace schreiber::window::qt {

// The picture at `scale` times its size in pixels; transparent where it has no background.
QImage paint_picture(const pictures::Picture& picture, double scale = 1.0);

// The window icon with its 32 and 16 pixel images.
QIcon window_icon();

}  // namespace schreiber::window::qt
