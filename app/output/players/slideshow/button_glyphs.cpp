#include "app/output/players/slideshow/button_glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace players::slideshow {

namespace {

// A triangle pointing right (or left), `height` tall, its left edge at x.
QPolygonF Triangle(qreal x, qreal centre_y, qreal height, bool left) {
  const qreal w = height * 0.8;
  if (left)
    return QPolygonF(
        {{x + w, centre_y - height / 2}, {x + w, centre_y + height / 2}, {x, centre_y}});
  return QPolygonF({{x, centre_y - height / 2}, {x, centre_y + height / 2}, {x + w, centre_y}});
}

void DrawSymbol(QPainter& painter, Glyph glyph, QRectF box) {
  const QPointF c = box.center();
  const qreal h = box.height() * 0.36;
  switch (glyph) {
    case Glyph::kPrevious:
      painter.drawRect(QRectF(c.x() - h * 0.9, c.y() - h / 2, h * 0.15, h));
      painter.drawPolygon(Triangle(c.x() - h * 0.7, c.y(), h, true));
      painter.drawPolygon(Triangle(c.x() + h * 0.05, c.y(), h, true));
      break;
    case Glyph::kNext:
      painter.drawPolygon(Triangle(c.x() - h * 0.85, c.y(), h, false));
      painter.drawPolygon(Triangle(c.x() - h * 0.1, c.y(), h, false));
      painter.drawRect(QRectF(c.x() + h * 0.75, c.y() - h / 2, h * 0.15, h));
      break;
    case Glyph::kPlay:
      painter.drawPolygon(Triangle(c.x() - h * 0.35, c.y(), h * 1.1, false));
      break;
    case Glyph::kPause:
      painter.drawRect(QRectF(c.x() - h * 0.45, c.y() - h / 2, h * 0.3, h));
      painter.drawRect(QRectF(c.x() + h * 0.15, c.y() - h / 2, h * 0.3, h));
      break;
    case Glyph::kExit: {
      QPen pen(painter.brush().color(), h * 0.22, Qt::SolidLine, Qt::RoundCap);
      painter.setPen(pen);
      const qreal r = h * 0.45;
      painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
      painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
      break;
    }
  }
}

}  // namespace

QPixmap DrawGlyph(Glyph glyph, QSize size, bool pressed) {
  QPixmap pixmap(size);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF whole(QPointF(0, 0), QSizeF(size));
  QLinearGradient face(whole.topLeft(), whole.bottomLeft());
  face.setColorAt(0, pressed ? QColor(96, 104, 118) : QColor(70, 74, 82));
  face.setColorAt(1, pressed ? QColor(60, 66, 78) : QColor(28, 30, 34));
  painter.fillRect(whole, face);
  // A thin edge between neighbouring buttons: light above and left, dark below and right, swapped
  // when pressed.
  painter.setPen(pressed ? QColor(20, 20, 24) : QColor(110, 116, 126));
  painter.drawLine(QPointF(0.5, 0.5), QPointF(size.width() - 0.5, 0.5));
  painter.drawLine(QPointF(0.5, 0.5), QPointF(0.5, size.height() - 0.5));
  painter.setPen(pressed ? QColor(110, 116, 126) : QColor(10, 10, 12));
  painter.drawLine(QPointF(size.width() - 0.5, 0.5),
                   QPointF(size.width() - 0.5, size.height() - 0.5));
  painter.drawLine(QPointF(0.5, size.height() - 0.5),
                   QPointF(size.width() - 0.5, size.height() - 0.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(pressed ? QColor(255, 214, 120) : QColor(236, 238, 242));
  DrawSymbol(painter, glyph, whole.translated(pressed ? 1 : 0, pressed ? 1 : 0));
  return pixmap;
}

}  // namespace players::slideshow
