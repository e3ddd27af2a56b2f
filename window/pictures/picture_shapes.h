#pragma once
// The window's pictures and its icon as plain shapes: filled rectangles, filled polygons
// and thick lines in pixel coordinates. No toolkit here, so that every view can paint the
// same drawings with its own painter.

#include <cstdint>
#include <optional>
#include <vector>

namespace schreiber::window::pictures {

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const Color&) const = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kLightGrey{192, 192, 192};
inline constexpr Color kBlue{0, 0, 255};
inline constexpr Color kDarkRed{128, 0, 0};

struct Point {
  double x = 0;
  double y = 0;
};

struct Shape {
  enum class Kind {
    kRectangle,  // points[0] top-left, points[1] bottom-right (exclusive)
    kPolygon,    // filled, corners in order
    kLine,       // a polyline of the given width, with flat ends
  };
  Kind kind = Kind::kRectangle;
  Color color;
  std::vector<Point> points;
  double width = 1;
};

struct Picture {
  int width = 0;
  int height = 0;
  // Nothing means a transparent background (the icon).
  std::optional<Color> background;
  // Painted in order, later shapes over earlier ones.
  std::vector<Shape> shapes;
};

// Command1's picture, 24 x 26: a black triangle pointing right inside a white square with
// a black frame, on light grey.
Picture start_button();
// Image1, 118 x 114: the letters P and C in white on a blue square with a dark red frame.
Picture waiting_picture();
// Image2, 118 x 114: a black-and-white hourglass on the same square.
Picture receiving_picture();
// The window icon, size x size (32 or 16): two black arrows on a transparent background,
// the upper one pointing left against a bar, the lower one pointing right against a bar.
Picture window_icon(int size);

// Image1 and Image2: the blue square fills the whole picture, inside a dark red frame of
// this many pixels.
inline constexpr int kStatusPictureWidth = 118;
inline constexpr int kStatusPictureHeight = 114;
inline constexpr int kStatusFrame = 6;

}  // namespace schreiber::window::pictures
