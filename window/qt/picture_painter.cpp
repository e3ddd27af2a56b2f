#include "window/qt/picture_painter.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>

namespace schreiber::window::qt {
namespace {

QColor to_qcolor(pictures::Color color) {
  return QColor(color.red, color.green, color.blue);
}

QPolygonF to_polygon(const std::vector<pictures::Point>& points) {
  QPolygonF polygon;
  for (const auto& p : points) polygon << QPointF(p.x, p.y);
  return polygon;
}

void paint_shape(QPainter& painter, const pictures::Shape& shape) {
  const QColor color = to_qcolor(shape.color);
  switch (shape.kind) {
    case pictures::Shape::Kind::kRectangle:
      painter.fillRect(QRectF(QPointF(shape.points[0].x, shape.points[0].y),
                              QPointF(shape.points[1].x, shape.points[1].y)),
                       color);
      break;
    case pictures::Shape::Kind::kPolygon:
      painter.setPen(Qt::NoPen);
      painter.setBrush(color);
      painter.drawPolygon(to_polygon(shape.points));
      break;
    case pictures::Shape::Kind::kLine:
      painter.setPen(QPen(color, shape.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
      painter.setBrush(Qt::NoBrush);
      painter.drawPolyline(to_polygon(shape.points));
      break;
  }
}

}  // namespace

QImage paint_picture(const pictures::Picture& picture, double scale) {
  QImage image(static_cast<int>(std::lround(picture.width * scale)),
               static_cast<int>(std::lround(picture.height * scale)),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(picture.background ? to_qcolor(*picture.background) : QColor(Qt::transparent));
  QPainter painter(&image);
  // Hard edges, as the classic 16-colour pictures have.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.scale(scale, scale);
  for (const auto& shape : picture.shapes) paint_shape(painter, shape);
  return image;
}

QIcon window_icon() {
  QIcon icon;
  for (const int size : {32, 16}) {
    icon.addPixmap(QPixmap::fromImage(paint_picture(pictures::window_icon(size))));
  }
  return icon;
}

}  // namespace schreiber::window::qt
