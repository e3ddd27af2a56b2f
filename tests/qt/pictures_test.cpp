// The pictures as the window shows them, and the window's icon: key colours at a few
// pixels of each.

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <vector>

#include "qt_harness.h"
#include "window/qt/picture_painter.h"

namespace schreiber::testing {
namespace {

const QColor kDarkRed(128, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kGrey(192, 192, 192);
const QColor kNone(0, 0, 0, 0);

struct PixelRow {
  int x;
  int y;
  QColor expected;
  const char* what;
};

void expect_pixels(const QImage& image, const std::vector<PixelRow>& rows) {
  for (const PixelRow& row : rows) {
    ASSERT_TRUE(image.valid(row.x, row.y)) << row.what;
    const QColor actual = image.pixelColor(row.x, row.y);
    EXPECT_EQ(actual.alpha() == 0 ? kNone : actual.rgb(),
              row.expected.alpha() == 0 ? kNone : row.expected.rgb())
        << row.what << " at " << row.x << "," << row.y << ": got " << actual.name().toStdString();
  }
}

QImage shown_picture(QWidget& window, const char* name) {
  return control<QLabel>(window, name)->pixmap().toImage();
}

TEST(QtPictures, Image1ShowsWhitePAndCOnTheFramedBlueSquare) {
  window::qt::Form2Window window(96);
  const QImage image = shown_picture(window, "Image1");
  ASSERT_EQ(image.size(), QSize(118, 114));
  expect_pixels(image, {{1, 1, kDarkRed, "frame, top left"},
                        {116, 112, kDarkRed, "frame, bottom right"},
                        {10, 10, kBlue, "square"},
                        {22, 57, kWhite, "stem of the P"},
                        {36, 29, kWhite, "top of the bowl of the P"},
                        {36, 45, kBlue, "inside the bowl of the P"},
                        {61, 57, kWhite, "back of the C"},
                        {84, 57, kBlue, "inside the C"},
                        {104, 57, kBlue, "open side of the C"}});
}

TEST(QtPictures, Image2ShowsABlackAndWhiteHourglassOnTheSameSquare) {
  window::qt::Form2Window window(96);
  const QImage image = shown_picture(window, "Image2");
  ASSERT_EQ(image.size(), QSize(118, 114));
  expect_pixels(image, {{1, 1, kDarkRed, "frame"},
                        {10, 10, kBlue, "square"},
                        {59, 22, kBlack, "top plate"},
                        {59, 92, kBlack, "bottom plate"},
                        {46, 30, kWhite, "empty glass above"},
                        {59, 48, kBlack, "sand above"},
                        {47, 82, kWhite, "empty glass below"},
                        {59, 84, kBlack, "sand below"}});
}

TEST(QtPictures, StartButtonShowsABlackTriangleInAFramedWhiteSquareOnGrey) {
  window::qt::Form2Window window(96);
  const QImage image =
      control<QPushButton>(window, "Command1")->icon().pixmap(QSize(24, 26)).toImage();
  ASSERT_EQ(image.size(), QSize(24, 26));
  expect_pixels(image, {{0, 0, kGrey, "background"},
                        {2, 3, kBlack, "frame"},
                        {4, 5, kWhite, "square"},
                        {9, 13, kBlack, "triangle, wide end on the left"},
                        {15, 13, kBlack, "triangle, tip on the right"},
                        {9, 6, kWhite, "above the triangle"},
                        {16, 8, kWhite, "beside the tip"}});
}

TEST(QtPictures, WindowIconHasTwoOppositeArrowsAgainstBarsAt32And16) {
  window::qt::Form2Window window(96);
  const QList<QSize> sizes = window.windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));

  const QImage big = window::qt::paint_picture(window::pictures::window_icon(32));
  expect_pixels(big, {{0, 31, kNone, "transparent corner"},
                      {10, 17, kNone, "between the arrows"},
                      {3, 8, kBlack, "upper bar, on the left"},
                      {12, 4, kBlack, "upper head is wide on the left"},
                      {28, 4, kNone, "upper arrow is thin on the right"},
                      {28, 24, kBlack, "lower bar, on the right"},
                      {20, 18, kBlack, "lower head is wide on the right"},
                      {4, 18, kNone, "lower arrow is thin on the left"}});
  const QImage small = window::qt::paint_picture(window::pictures::window_icon(16));
  ASSERT_EQ(small.size(), QSize(16, 16));
  expect_pixels(small, {{0, 15, kNone, "transparent corner"},
                        {1, 4, kBlack, "upper bar"},
                        {14, 12, kBlack, "lower bar"}});
}

}  // namespace
}  // namespace schreiber::testing
