#include "window/win32/picture_gdi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace schreiber::window::win32 {
namespace {

// GDI takes whole numbers; points go over in sixteenths of a pixel and the world transform
// scales them back, so that fractional corners keep their place.
constexpr double kSubpixels = 16;

// Paints into a fresh 32-bit top-down DIB of the scaled size; `background` fills it first.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  std::uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;

  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<std::uint32_t*>(pixels);
    previous = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    if (bitmap != nullptr) DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
};

COLORREF colour(pictures::Color c) {
  return RGB(c.red, c.green, c.blue);
}

POINT subpixel(const pictures::Point& p) {
  return {static_cast<LONG>(std::lround(p.x * kSubpixels)),
          static_cast<LONG>(std::lround(p.y * kSubpixels))};
}

std::vector<POINT> subpixels(const std::vector<pictures::Point>& points) {
  std::vector<POINT> out;
  out.reserve(points.size());
  for (const auto& p : points) out.push_back(subpixel(p));
  return out;
}

void paint_shape(HDC dc, const pictures::Shape& shape) {
  const COLORREF c = colour(shape.color);
  switch (shape.kind) {
    case pictures::Shape::Kind::kRectangle: {
      const POINT a = subpixel(shape.points[0]);
      const POINT b = subpixel(shape.points[1]);
      const RECT area{a.x, a.y, b.x, b.y};
      HBRUSH brush = CreateSolidBrush(c);
      FillRect(dc, &area, brush);
      DeleteObject(brush);
      break;
    }
    case pictures::Shape::Kind::kPolygon: {
      const auto corners = subpixels(shape.points);
      HBRUSH brush = CreateSolidBrush(c);
      const HGDIOBJ old_brush = SelectObject(dc, brush);
      const HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
      SetPolyFillMode(dc, WINDING);
      Polygon(dc, corners.data(), static_cast<int>(corners.size()));
      SelectObject(dc, old_pen);
      SelectObject(dc, old_brush);
      DeleteObject(brush);
      break;
    }
    case pictures::Shape::Kind::kLine: {
      const auto points = subpixels(shape.points);
      LOGBRUSH brush{BS_SOLID, c, 0};
      HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                              static_cast<DWORD>(std::lround(shape.width * kSubpixels)), &brush, 0,
                              nullptr);
      const HGDIOBJ old_pen = SelectObject(dc, pen);
      Polyline(dc, points.data(), static_cast<int>(points.size()));
      SelectObject(dc, old_pen);
      DeleteObject(pen);
      break;
    }
  }
}

// Paints the picture onto the canvas, background first, with hard edges as the classic
// 16-colour pictures have.
void paint(Canvas& canvas, const pictures::Picture& picture, double scale, COLORREF background) {
  const RECT all{0, 0, canvas.width, canvas.height};
  HBRUSH fill = CreateSolidBrush(background);
  FillRect(canvas.dc, &all, fill);
  DeleteObject(fill);
  SetGraphicsMode(canvas.dc, GM_ADVANCED);
  XFORM transform{};
  transform.eM11 = static_cast<FLOAT>(scale / kSubpixels);
  transform.eM22 = static_cast<FLOAT>(scale / kSubpixels);
  SetWorldTransform(canvas.dc, &transform);
  for (const auto& shape : picture.shapes) paint_shape(canvas.dc, shape);
  ModifyWorldTransform(canvas.dc, nullptr, MWT_IDENTITY);
  GdiFlush();
}

int scaled(int length, double scale) {
  return std::max(1, static_cast<int>(std::lround(length * scale)));
}

// A background colour that no shape of the picture uses, to tell painted pixels apart.
COLORREF unused_colour(const pictures::Picture& picture) {
  for (COLORREF candidate : {RGB(255, 0, 255), RGB(0, 255, 255), RGB(1, 2, 3)}) {
    bool used = false;
    for (const auto& shape : picture.shapes) used = used || colour(shape.color) == candidate;
    if (!used) return candidate;
  }
  return RGB(3, 2, 1);
}

std::uint32_t rgb_of_pixel(std::uint32_t bgrx) {
  return bgrx & 0xFFFFFF;
}
std::uint32_t rgb_of_colorref(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The 16 standard colours in the order of the standard palette.
constexpr std::uint32_t kStandardColours[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

int nearest_standard(std::uint32_t rgb) {
  int best = 0;
  long best_distance = std::numeric_limits<long>::max();
  for (int i = 0; i < 16; ++i) {
    long distance = 0;
    for (int shift : {16, 8, 0}) {
      const long d = static_cast<long>((rgb >> shift) & 0xFF) -
                     static_cast<long>((kStandardColours[i] >> shift) & 0xFF);
      distance += d * d;
    }
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
    }
  }
  return best;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// One icon image: BITMAPINFOHEADER (double height: colours then mask), the palette, the
// 4-bit colour rows and the 1-bit mask rows, bottom row first, rows padded to 4 bytes.
std::vector<std::uint8_t> icon_image(const pictures::Picture& picture) {
  const auto pixels = paint_pixels(picture);
  const int w = picture.width;
  const int h = picture.height;
  std::vector<std::uint8_t> out;
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(w));
  put32(out, static_cast<std::uint32_t>(h * 2));
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);  // BI_RGB
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 16);
  put32(out, 0);
  for (std::uint32_t c : kStandardColours) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
    out.push_back(0);
  }
  const int colour_row = ((w * 4 + 31) / 32) * 4;
  const int mask_row = ((w + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(colour_row), 0);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y * w + x)];
      const int index = p == kNotPainted ? 0 : nearest_standard(p);
      row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(mask_row), 0);
    for (int x = 0; x < w; ++x) {
      if (pixels[static_cast<std::size_t>(y * w + x)] == kNotPainted) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

HBITMAP paint_bitmap(const pictures::Picture& picture, double scale, pictures::Color transparent) {
  const int w = scaled(picture.width, scale);
  const int h = scaled(picture.height, scale);
  Canvas canvas(w, h);
  paint(canvas, picture, scale, colour(picture.background.value_or(transparent)));
  // The control keeps a bitmap of its own, in the screen's format.
  HDC screen = GetDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  HDC target = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(target, copy);
  BitBlt(target, 0, 0, w, h, canvas.dc, 0, 0, SRCCOPY);
  SelectObject(target, previous);
  DeleteDC(target);
  return copy;
}

std::vector<std::uint32_t> paint_pixels(const pictures::Picture& picture, double scale) {
  const int w = scaled(picture.width, scale);
  const int h = scaled(picture.height, scale);
  Canvas canvas(w, h);
  const COLORREF background =
      picture.background ? colour(*picture.background) : unused_colour(picture);
  paint(canvas, picture, scale, background);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint32_t rgb = rgb_of_pixel(canvas.bits[i]);
    pixels[i] = !picture.background && rgb == rgb_of_colorref(background) ? kNotPainted : rgb;
  }
  return pixels;
}

std::vector<std::uint8_t> icon_file(const std::vector<pictures::Picture>& images) {
  std::vector<std::vector<std::uint8_t>> bodies;
  for (const auto& picture : images) bodies.push_back(icon_image(picture));
  std::vector<std::uint8_t> out;
  put16(out, 0);  // reserved
  put16(out, 1);  // an icon
  put16(out, static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(images[i].width));
    out.push_back(static_cast<std::uint8_t>(images[i].height));
    out.push_back(16);  // colours
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 4);  // bits per pixel
    put32(out, static_cast<std::uint32_t>(bodies[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace schreiber::window::win32
