#include "window/pictures/picture_shapes.h"

#include <cmath>
#include <numbers>

namespace schreiber::window::pictures {
namespace {

Shape rectangle(Color color, double left, double top, double right, double bottom) {
  return {Shape::Kind::kRectangle, color, {{left, top}, {right, bottom}}};
}

Shape polygon(Color color, std::vector<Point> corners) {
  return {Shape::Kind::kPolygon, color, std::move(corners)};
}

Shape line(Color color, double width, std::vector<Point> points) {
  return {Shape::Kind::kLine, color, std::move(points), width};
}

// Points along an elliptic arc; angles in degrees, counter-clockwise as on paper (the y
// axis points down, so a positive angle goes up).
std::vector<Point> arc(Point centre, double radius_x, double radius_y, double from_degrees,
                       double to_degrees, int steps = 24) {
  std::vector<Point> points;
  for (int i = 0; i <= steps; ++i) {
    const double degrees = from_degrees + (to_degrees - from_degrees) * i / steps;
    const double radians = degrees * std::numbers::pi / 180.0;
    points.push_back(
        {centre.x + radius_x * std::cos(radians), centre.y - radius_y * std::sin(radians)});
  }
  return points;
}

// The blue square with its dark red frame that Image1 and Image2 share.
Picture status_square() {
  Picture picture{kStatusPictureWidth, kStatusPictureHeight, kDarkRed, {}};
  picture.shapes.push_back(rectangle(kBlue, kStatusFrame, kStatusFrame,
                                     kStatusPictureWidth - kStatusFrame,
                                     kStatusPictureHeight - kStatusFrame));
  return picture;
}

}  // namespace

Picture start_button() {
  Picture picture{24, 26, kLightGrey, {}};
  picture.shapes.push_back(rectangle(kBlack, 2, 3, 22, 23));
  picture.shapes.push_back(rectangle(kWhite, 3, 4, 21, 22));
  picture.shapes.push_back(polygon(kBlack, {{8, 7}, {17, 13}, {8, 19}}));
  return picture;
}

Picture waiting_picture() {
  Picture picture = status_square();
  constexpr double kStroke = 10;
  // P: the stem, and the bowl from the top of the stem round to its middle.
  picture.shapes.push_back(line(kWhite, kStroke, {{22, 24}, {22, 90}}));
  std::vector<Point> bowl{{17, 29}, {36, 29}};
  for (const Point& p : arc({36, 45}, 16, 16, 90, -90)) bowl.push_back(p);
  bowl.push_back({17, 61});
  picture.shapes.push_back(line(kWhite, kStroke, bowl));
  // C: an open ellipse, the gap on the right.
  picture.shapes.push_back(line(kWhite, kStroke, arc({84, 57}, 24, 31, 48, 312)));
  return picture;
}

Picture receiving_picture() {
  Picture picture = status_square();
  // The glass between the two plates, black outline on white.
  const std::vector<Point> glass{{40, 26}, {78, 26}, {62, 57}, {78, 88}, {40, 88}, {56, 57}};
  picture.shapes.push_back(polygon(kWhite, glass));
  std::vector<Point> outline = glass;
  outline.push_back(glass.front());
  picture.shapes.push_back(line(kBlack, 2, outline));
  // Sand: what is left above, the trickle through the neck, the heap below.
  picture.shapes.push_back(polygon(kBlack, {{49, 44}, {69, 44}, {59, 55}}));
  picture.shapes.push_back(line(kBlack, 2, {{59, 55}, {59, 76}}));
  picture.shapes.push_back(polygon(kBlack, {{44, 88}, {59, 73}, {74, 88}}));
  // The plates and the posts that hold them.
  picture.shapes.push_back(rectangle(kBlack, 32, 18, 86, 26));
  picture.shapes.push_back(rectangle(kBlack, 32, 88, 86, 96));
  picture.shapes.push_back(rectangle(kBlack, 34, 26, 37, 88));
  picture.shapes.push_back(rectangle(kBlack, 81, 26, 84, 88));
  return picture;
}

Picture window_icon(int size) {
  Picture picture{size, size, std::nullopt, {}};
  // Drawn on a 32 grid, then scaled; corners land on whole pixels at 32 and 16.
  const double u = size / 32.0;
  const auto r = [&](double left, double top, double right, double bottom) {
    picture.shapes.push_back(rectangle(kBlack, left * u, top * u, right * u, bottom * u));
  };
  const auto head = [&](Point tip, Point base_a, Point base_b) {
    picture.shapes.push_back(polygon(
        kBlack,
        {{tip.x * u, tip.y * u}, {base_a.x * u, base_a.y * u}, {base_b.x * u, base_b.y * u}}));
  };
  // Upper arrow: points left, against a bar on the left.
  r(2, 2, 6, 16);
  head({6, 9}, {14, 2}, {14, 16});
  r(14, 6, 30, 12);
  // Lower arrow: points right, against a bar on the right.
  r(26, 16, 30, 30);
  head({26, 23}, {18, 16}, {18, 30});
  r(2, 20, 18, 26);
  return picture;
}

}  // namespace schreiber::window::pictures
