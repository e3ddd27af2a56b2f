// The native window: its pictures painted with GDI from the shared shapes, the icon file
// made from them, and the controls laid out in twips with the list's behaviour.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32_api.h"
#include "window/win32/form2_window.h"
#include "window/win32/picture_gdi.h"

namespace schreiber {
namespace {

namespace pictures = window::pictures;
using window::win32::kNotPainted;

std::uint32_t rgb(pictures::Color c) {
  return (c.red << 16) | (c.green << 8) | c.blue;
}

std::uint32_t at(const std::vector<std::uint32_t>& pixels, int width, int x, int y) {
  return pixels[static_cast<std::size_t>(y * width + x)];
}

TEST(Pictures, StartButtonIsATriangleInAFramedWhiteSquareOnGrey) {
  const auto picture = pictures::start_button();
  for (const double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    const auto pixels = window::win32::paint_pixels(picture, scale);
    const int width = static_cast<int>(24 * scale);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(24 * scale * 26 * scale));
    const auto px = [&](double x, double y) {
      return at(pixels, width, static_cast<int>(x * scale), static_cast<int>(y * scale));
    };
    EXPECT_EQ(px(0, 0), rgb(pictures::kLightGrey));
    EXPECT_EQ(px(2, 3), rgb(pictures::kBlack));  // the frame
    EXPECT_EQ(px(21.5, 12), rgb(pictures::kBlack));
    EXPECT_EQ(px(4, 5), rgb(pictures::kWhite));     // inside the square
    EXPECT_EQ(px(10, 13), rgb(pictures::kBlack));   // the triangle
    EXPECT_EQ(px(17.5, 8), rgb(pictures::kWhite));  // beside its point
    EXPECT_EQ(px(23, 25), rgb(pictures::kLightGrey));
  }
}

TEST(Pictures, StatusPicturesFillTheBlueSquareInsideTheDarkRedFrame) {
  for (const auto& picture : {pictures::waiting_picture(), pictures::receiving_picture()}) {
    const auto pixels = window::win32::paint_pixels(picture);
    const int w = pictures::kStatusPictureWidth;
    EXPECT_EQ(at(pixels, w, 0, 0), rgb(pictures::kDarkRed));
    EXPECT_EQ(at(pixels, w, w - 1, 113), rgb(pictures::kDarkRed));
    EXPECT_EQ(at(pixels, w, 8, 8), rgb(pictures::kBlue));
    std::size_t white = 0;
    for (auto p : pixels) white += p == rgb(pictures::kWhite);
    EXPECT_GT(white, 500u);  // letters or the glass are really there
  }
}

TEST(Icon, FileHoldsBothSizesInSixteenColoursWithTheUnpaintedPartsMasked) {
  const auto bytes =
      window::win32::icon_file({pictures::window_icon(32), pictures::window_icon(16)});
  const auto u16 = [&](std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); };
  const auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(u16(at) | (u16(at + 2) << 16));
  };
  ASSERT_GE(bytes.size(), 38u);
  EXPECT_EQ(u16(2), 1);  // an icon
  ASSERT_EQ(u16(4), 2);  // two images
  for (int i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    const int size = i == 0 ? 32 : 16;
    EXPECT_EQ(bytes[entry], size);
    EXPECT_EQ(bytes[entry + 2], 16);  // colours
    EXPECT_EQ(u16(entry + 6), 4);     // bits per pixel
    const std::size_t image = u32(entry + 12);
    ASSERT_EQ(u32(entry + 8) + image, i == 0 ? u32(6 + 16 + 12) : bytes.size());
    EXPECT_EQ(u32(image + 4), static_cast<std::uint32_t>(size));
    EXPECT_EQ(u32(image + 8), static_cast<std::uint32_t>(2 * size));
    // The mask after the palette and the colour rows, bottom row first: a set bit is
    // transparent.
    const std::size_t colour_rows =
        40 + 64 + static_cast<std::size_t>(((size * 4 + 31) / 32) * 4 * size);
    const std::size_t mask_row = ((size + 31) / 32) * 4;
    const auto transparent = [&](int x, int y) {
      const std::size_t row =
          image + colour_rows + static_cast<std::size_t>(size - 1 - y) * mask_row;
      return (bytes[row + static_cast<std::size_t>(x / 8)] & (0x80 >> (x % 8))) != 0;
    };
    const int u = size / 16;  // pixels per unit of the 16 grid: the icon is drawn on a 32 grid
    EXPECT_TRUE(transparent(0, 0));
    EXPECT_FALSE(transparent(2 * u, 4 * u)) << "the bar of the upper arrow";
    EXPECT_FALSE(transparent(13 * u, 11 * u)) << "the bar of the lower arrow";
    EXPECT_TRUE(transparent(15 * u, 1 * u));
  }
}

TEST(Form2Window, ControlsSitAtTheirTwipsAndTheListPicksByText) {
  window::win32::Form2Window form(96);
  const auto place = [&](int id) {
    HWND control = GetDlgItem(form.handle(), id);
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form.handle(), reinterpret_cast<POINT*>(&r), 2);
    return std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  RECT client{};
  GetClientRect(form.handle(), &client);
  EXPECT_EQ(client.right, 156);
  EXPECT_EQ(client.bottom, 199);
  EXPECT_EQ(place(101), (std::vector<LONG>{116, 2, 33, 33}));  // Command1
  EXPECT_EQ(place(103), (std::vector<LONG>{4, 56, 205, 13}));  // Label4
  EXPECT_EQ(place(104), (std::vector<LONG>{4, 36, 161, 17}));  // Label3
  EXPECT_EQ(place(105)[0], 20);                                // Image2
  EXPECT_EQ(place(106)[1], 76);                                // Image1
  EXPECT_EQ(window::win32::Form2Window(192).pixels(1740), 232);

  int clicks = 0;
  form.on_combo1_click = [&] { ++clicks; };
  EXPECT_EQ(form.Combo1_ListIndex(), -1);
  EXPECT_EQ(form.Combo1_List(0), "COM 1");
  EXPECT_EQ(form.Combo1_List(8), "COM 9");
  EXPECT_EQ(form.Combo1_List(9), "");
  form.Combo1_SetText("COM 4");
  EXPECT_EQ(form.Combo1_ListIndex(), 3);
  EXPECT_EQ(clicks, 1);
  form.Combo1_SetText("COM 10");
  EXPECT_EQ(form.Combo1_ListIndex(), 3);
  EXPECT_EQ(clicks, 1);

  EXPECT_EQ(form.Label4_Caption(), "Daten in CSV Format konvertieren");
  form.Label4_SetCaption("3 - 120");
  EXPECT_EQ(form.Label4_Caption(), "3 - 120");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(form.handle(), 103)));
}

}  // namespace
}  // namespace schreiber
