#include "platform/graphics/coverage.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace plat {

namespace {

// Far enough outside the mask that clipped-away geometry cannot change a covered pixel.
constexpr double kGuardMargin = 4.0;
// Moves fills up and left by less than a pixel but more than Qt rounds coordinates (1/64), so a
// boundary through pixel centres keeps its top and left pixels and drops its right and bottom ones.
constexpr double kFillNudge = 1.0 / 32;

enum class TEdge { kLeft, kTop, kRight, kBottom };

bool Inside(const QPointF& p, const QRectF& r, TEdge edge) {
  switch (edge) {
    case TEdge::kLeft:
      return p.x() >= r.left();
    case TEdge::kTop:
      return p.y() >= r.top();
    case TEdge::kRight:
      return p.x() <= r.right();
    case TEdge::kBottom:
      return p.y() <= r.bottom();
  }
  return true;
}

QPointF Crossing(const QPointF& a, const QPointF& b, const QRectF& r, TEdge edge) {
  const bool vertical = edge == TEdge::kLeft || edge == TEdge::kRight;
  const double at = edge == TEdge::kLeft    ? r.left()
                    : edge == TEdge::kRight ? r.right()
                    : edge == TEdge::kTop   ? r.top()
                                            : r.bottom();
  const double t = vertical ? (at - a.x()) / (b.x() - a.x()) : (at - a.y()) / (b.y() - a.y());
  return a + (b - a) * t;
}

// Sutherland-Hodgman: the part of a closed polygon inside r, so Qt never sees huge coordinates.
QPolygonF ClipPolygon(QPolygonF polygon, const QRectF& r) {
  for (TEdge edge : {TEdge::kLeft, TEdge::kTop, TEdge::kRight, TEdge::kBottom}) {
    QPolygonF kept;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
      const QPointF& a = polygon[(i + polygon.size() - 1) % polygon.size()];
      const QPointF& b = polygon[i];
      if (Inside(b, r, edge)) {
        if (!Inside(a, r, edge)) kept << Crossing(a, b, r, edge);
        kept << b;
      } else if (Inside(a, r, edge)) {
        kept << Crossing(a, b, r, edge);
      }
    }
    polygon = std::move(kept);
    if (polygon.isEmpty()) break;
  }
  return polygon;
}

// Liang-Barsky: shortens a segment to its part inside r; false when nothing is left.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& r) {
  double t0 = 0, t1 = 1;
  const QPointF d = b - a;
  const double p[4] = {-d.x(), d.x(), -d.y(), d.y()};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  b = a + d * t1;
  a = a + d * t0;
  return true;
}

// Whether the pattern draws its pixel number `position` (counted from the pattern's start).
bool DashOn(std::span<const int> dashes, int64_t position) {
  int64_t period = 0;
  for (int run : dashes) period += run;
  int64_t at = position % period;
  for (size_t i = 0; i < dashes.size(); ++i) {
    if (at < dashes[i]) return i % 2 == 0;
    at -= dashes[i];
  }
  return false;
}

int64_t PixelOf(double coordinate) {
  return static_cast<int64_t>(std::floor(coordinate));
}

}  // namespace

TCoverage::TCoverage(int width, int height, const QRectF& reach) {
  const double left = std::max(0.0, std::floor(reach.left()));
  const double top = std::max(0.0, std::floor(reach.top()));
  const double right = std::min<double>(width, std::ceil(reach.right()));
  const double bottom = std::min<double>(height, std::ceil(reach.bottom()));
  if (!(left < right && top < bottom)) return;
  left_ = static_cast<int>(left);
  top_ = static_cast<int>(top);
  mask_ = QImage(static_cast<int>(right - left), static_cast<int>(bottom - top),
                 QImage::Format_Grayscale8);
  mask_.fill(0);
}

QRectF TCoverage::Guard(double margin) const {
  return QRectF(left_ - margin, top_ - margin, Width() + 2 * margin, Height() + 2 * margin);
}

void TCoverage::PaintWith(const std::function<void(QPainter&)>& paint) {
  if (IsEmpty()) return;
  QPainter painter(&mask_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.translate(-left_, -top_);
  paint(painter);
}

void TCoverage::Fill(const std::vector<QPolygonF>& polygons, uint8_t cover) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const QPolygonF& polygon : polygons) {
    const QPolygonF clipped = ClipPolygon(polygon, Guard(kGuardMargin));
    if (clipped.size() >= 3) path.addPolygon(clipped.translated(-kFillNudge, -kFillNudge));
  }
  if (path.isEmpty()) return;
  PaintWith([&](QPainter& painter) { painter.fillPath(path, QColor(cover, cover, cover)); });
}

void TCoverage::StrokeWide(const std::vector<QPolygonF>& polylines, double width, uint8_t cover) {
  const QRectF guard = Guard(kGuardMargin + width);
  PaintWith([&](QPainter& painter) {
    painter.setPen(
        QPen(QColor(cover, cover, cover), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPolygonF& line : polylines)
      for (qsizetype i = 1; i < line.size(); ++i) {
        QPointF a = line[i - 1], b = line[i];
        if (ClipSegment(a, b, guard)) painter.drawLine(a, b);
      }
  });
}

void TCoverage::StrokeThin(const std::vector<QPolygonF>& polylines, std::span<const int> dashes,
                           int64_t& phase) {
  if (IsEmpty()) return;
  for (const QPolygonF& line : polylines)
    for (qsizetype i = 1; i < line.size(); ++i) {
      const int64_t x0 = PixelOf(line[i - 1].x()), y0 = PixelOf(line[i - 1].y());
      const int64_t x1 = PixelOf(line[i].x()), y1 = PixelOf(line[i].y());
      MarkLine(x0, y0, x1, y1, dashes, phase);
      phase += std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    }
}

// A Bresenham line from (x0, y0) towards (x1, y1) without its last pixel. Each pixel is found
// from its step number, so only the steps whose major coordinate lies in the mask are visited.
void TCoverage::MarkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                         std::span<const int> dashes, int64_t phase) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const bool x_major = std::abs(dx) >= std::abs(dy);
  const int64_t steps = x_major ? std::abs(dx) : std::abs(dy);
  if (steps == 0) return;
  const int64_t major0 = x_major ? x0 : y0, minor0 = x_major ? y0 : x0;
  const int64_t major_step = (x_major ? dx : dy) > 0 ? 1 : -1;
  const int64_t minor_delta = x_major ? dy : dx;
  const int64_t lo = x_major ? left_ : top_;
  const int64_t hi = lo + (x_major ? Width() : Height());
  // Steps i with lo <= major0 + i * major_step < hi, within [0, steps).
  int64_t first = major_step > 0 ? lo - major0 : major0 - (hi - 1);
  int64_t last = major_step > 0 ? hi - 1 - major0 : major0 - lo;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, steps - 1);
  const __int128 twice_steps = __int128{2} * steps;
  const __int128 minor_size = minor_delta < 0 ? -__int128{minor_delta} : __int128{minor_delta};
  for (int64_t i = first; i <= last; ++i) {
    const auto offset = static_cast<int64_t>((2 * i * minor_size + steps) / twice_steps);
    const int64_t major = major0 + i * major_step;
    const int64_t minor = minor0 + (minor_delta < 0 ? -offset : offset);
    const int64_t x = x_major ? major : minor, y = x_major ? minor : major;
    if (x < left_ || y < top_ || x >= left_ + Width() || y >= top_ + Height()) continue;
    uint8_t& cell = mask_.scanLine(static_cast<int>(y - top_))[x - left_];
    if (dashes.empty() || DashOn(dashes, phase + i))
      cell = kPenCover;
    else if (cell != kPenCover)
      cell = kGapCover;
  }
}

std::vector<QPolygonF> Flatten(const QPainterPath& path, bool closed) {
  // Qt flattens curves to within a fraction of a unit; measuring in sixteenths of a pixel keeps
  // small ellipses round.
  constexpr double kFineness = 16;
  std::vector<QPolygonF> polygons;
  for (QPolygonF polygon : path.toSubpathPolygons(QTransform::fromScale(kFineness, kFineness))) {
    for (QPointF& point : polygon) point /= kFineness;
    if (closed && !polygon.isEmpty() && polygon.first() != polygon.last())
      polygon << polygon.first();
    polygons.push_back(std::move(polygon));
  }
  return polygons;
}

}  // namespace plat
