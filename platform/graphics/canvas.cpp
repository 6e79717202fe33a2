#include "platform/graphics/canvas.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas_paint.h"
#include "platform/graphics/coverage.h"

namespace plat {

namespace {

std::span<const int> DashesOf(TPenStyle style) {
  static constexpr int kDash[] = {18, 6};
  static constexpr int kDot[] = {3, 3};
  static constexpr int kDashDot[] = {9, 6, 3, 6};
  static constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case TPenStyle::psDash:
      return kDash;
    case TPenStyle::psDot:
      return kDot;
    case TPenStyle::psDashDot:
      return kDashDot;
    case TPenStyle::psDashDotDot:
      return kDashDotDot;
    default:
      return {};
  }
}

int PenWidth(const TPen& pen) {
  return std::max(pen.Width, 1);
}

QPointF CentreOf(int x, int y) {
  return {x + 0.5, y + 0.5};
}

// The box a closed shape's outline runs along: through the centres of its outer pixels, or, for
// a wide inside-frame pen, far enough in that the stroke ends at the box's edges.
QRectF OutlineBox(const TPen& pen, int x1, int y1, int x2, int y2) {
  const double left = std::min(x1, x2), top = std::min(y1, y2);
  const double right = std::max(x1, x2), bottom = std::max(y1, y2);
  const int width = PenWidth(pen);
  const double inset = pen.Style == TPenStyle::psInsideFrame && width > 1 ? width / 2.0 : 0.5;
  return QRectF(QPointF(left + inset, top + inset), QPointF(right - inset, bottom - inset));
}

bool IsEmptyBox(int x1, int y1, int x2, int y2) {
  return x1 == x2 || y1 == y2;
}

// The parametric angle, in degrees counter-clockwise from 3 o'clock, where the ray from the
// centre of box through the pixel (x, y) meets the ellipse of box.
double RayAngle(const QRectF& box, int x, int y) {
  const QPointF ray = CentreOf(x, y) - box.center();
  const double a = std::max(box.width() / 2, 1e-9), b = std::max(box.height() / 2, 1e-9);
  return std::atan2(-ray.y() / b, ray.x() / a) * 180 / std::numbers::pi;
}

enum class TArcKind { kArc, kChord, kPie };

QPainterPath ArcPath(const QRectF& box, double start, double end, TArcKind kind) {
  double sweep = std::fmod(end - start + 720, 360);
  if (sweep < 1e-9) sweep = 360;
  QPainterPath path;
  if (kind == TArcKind::kPie)
    path.moveTo(box.center());
  else
    path.arcMoveTo(box, start);
  path.arcTo(box, start, sweep);
  if (kind != TArcKind::kArc) path.closeSubpath();
  return path;
}

}  // namespace

// Fills (when asked) and outlines a path given in pixel-centre coordinates.
static void DrawPath(TCanvas& canvas, const QPainterPath& path, bool closed, bool filled) {
  TBitmap& bitmap = canvas.Bitmap();
  const TPen& pen = canvas.Pen;
  const double reach = PenWidth(pen) / 2.0 + 2;
  TCoverage coverage(bitmap.Width(), bitmap.Height(),
                     path.boundingRect().adjusted(-reach, -reach, reach, reach));
  if (coverage.IsEmpty()) return;
  const std::vector<QPolygonF> polygons = Flatten(path, closed);
  if (filled && canvas.Brush.Style != TBrushStyle::bsClear) coverage.Fill(polygons, kBrushCover);
  if (pen.Style != TPenStyle::psClear) {
    int64_t phase = 0;
    if (PenWidth(pen) > 1)
      coverage.StrokeWide(polygons, PenWidth(pen), kPenCover);
    else
      coverage.StrokeThin(polygons, DashesOf(pen.Style), phase);
  }
  const TPixelWriter writer(bitmap);
  PaintCoverage(
      bitmap, coverage,
      {TInk{}, BrushInk(canvas.Brush, pen.Mode, writer), ColourInk(pen.Color, pen.Mode, writer),
       BackgroundInk(canvas.Brush, pen.Mode, writer)});
}

TColor TCanvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= target_.Width() || y >= target_.Height()) return kInvalidColor;
  return target_.PixelColor(x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  target_.SetPixelColor(x, y, color);
}

void TCanvas::FillRect(const TRect& rect) {
  if (Brush.Style == TBrushStyle::bsClear) return;
  if (Brush.Style == TBrushStyle::bsSolid) {
    target_.FillRect(rect, Brush.Color);
    return;
  }
  const QRectF box(QPointF(rect.Left, rect.Top), QPointF(rect.Right, rect.Bottom));
  if (box.isEmpty()) return;
  TCoverage coverage(target_.Width(), target_.Height(), box);
  coverage.Fill({QPolygonF(box)}, kBrushCover);
  const TPixelWriter writer(target_);
  PaintCoverage(target_, coverage, {TInk{}, BrushInk(Brush, TPenMode::pmCopy, writer)});
}

void TCanvas::MoveTo(int x, int y) {
  pen_pos_ = {x, y};
}

void TCanvas::LineTo(int x, int y) {
  QPainterPath path(CentreOf(pen_pos_.x, pen_pos_.y));
  path.lineTo(CentreOf(x, y));
  DrawPath(*this, path, false, false);
  pen_pos_ = {x, y};
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (IsEmptyBox(x1, y1, x2, y2)) return;
  QPainterPath path;
  path.addRect(OutlineBox(Pen, x1, y1, x2, y2));
  DrawPath(*this, path, true, true);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (IsEmptyBox(x1, y1, x2, y2)) return;
  QPainterPath path;
  path.addEllipse(OutlineBox(Pen, x1, y1, x2, y2));
  DrawPath(*this, path, true, true);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height) {
  if (IsEmptyBox(x1, y1, x2, y2)) return;
  QPainterPath path;
  path.addRoundedRect(OutlineBox(Pen, x1, y1, x2, y2), std::abs(corner_width / 2.0),
                      std::abs(corner_height / 2.0));
  DrawPath(*this, path, true, true);
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (IsEmptyBox(x1, y1, x2, y2)) return;
  const QRectF box = OutlineBox(Pen, x1, y1, x2, y2);
  DrawPath(*this, ArcPath(box, RayAngle(box, x3, y3), RayAngle(box, x4, y4), TArcKind::kArc), false,
           false);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (IsEmptyBox(x1, y1, x2, y2)) return;
  const QRectF box = OutlineBox(Pen, x1, y1, x2, y2);
  DrawPath(*this, ArcPath(box, RayAngle(box, x3, y3), RayAngle(box, x4, y4), TArcKind::kChord),
           true, true);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (IsEmptyBox(x1, y1, x2, y2)) return;
  const QRectF box = OutlineBox(Pen, x1, y1, x2, y2);
  DrawPath(*this, ArcPath(box, RayAngle(box, x3, y3), RayAngle(box, x4, y4), TArcKind::kPie), true,
           true);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  QPolygonF outline;
  for (const TPoint& p : points) outline << CentreOf(p.x, p.y);
  QPainterPath path;
  path.addPolygon(outline);
  path.closeSubpath();
  DrawPath(*this, path, true, true);
}

void TCanvas::PolyBezier(const std::vector<TPoint>& points) {
  if (points.size() < 4 || points.size() % 3 != 1) return;
  QPainterPath path(CentreOf(points[0].x, points[0].y));
  for (size_t i = 1; i + 2 < points.size(); i += 3)
    path.cubicTo(CentreOf(points[i].x, points[i].y), CentreOf(points[i + 1].x, points[i + 1].y),
                 CentreOf(points[i + 2].x, points[i + 2].y));
  DrawPath(*this, path, false, false);
}

}  // namespace plat
