#pragma once
// TImageDrawing: the view's drawing on its image with the pen, brush, flood-fill and text
// fields of the view, straight into the image's pixels in their present format.
//
// - Nothing is drawn without an image, and the point lists are then left as they are.
// - Every drawing member repaints the view afterwards.
// - With Antialias every shape and text goes through the smoothing procedures with FilterType;
//   the image then holds 24-bit pixels and its colour format is classified again.
// - TextWidth and TextHeight are the unturned extent of the text (the widest line, all lines),
//   whatever TextAngle is.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/engine/drawing/image_procs.h"
#include "platform/graphics/canvas.h"

namespace pictavo {

class TicBitmap;
class TpvImage;

class TImageDrawing {
 public:
  explicit TImageDrawing(TpvImage& view) : view_(view) {}

  void DrawLine(int x1, int y1, int x2, int y2);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  void RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height);
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // The ellipse in the box x - r, y - r, x + r + 1, y + r + 1.
  void CircleCR(int x, int y, int r);
  // The circle through three points; nothing for points on one line.
  void Circle3XY(int x1, int y1, int x2, int y2, int x3, int y3);
  // The arc from the first point through the second to the third; for points on one line the
  // lines from the first point to the second and to the third.
  void Arc3XY(int x1, int y1, int x2, int y2, int x3, int y3);
  void FloodFill(int x, int y);

  // The pixel's colour; plat::kInvalidColor outside the image or without one.
  plat::TColor PixelColor(int x, int y) const;
  void SetPixelColor(int x, int y, plat::TColor color);

  // The point lists: Polygon and PolyBezier draw through them and empty them.
  void PointAdd(int x, int y) { polygon_points_.push_back({x, y}); }
  void BezierPointAdd(int x, int y) { bezier_points_.push_back({x, y}); }
  const std::vector<plat::TPoint>& PolygonPoints() const { return polygon_points_; }
  const std::vector<plat::TPoint>& BezierPoints() const { return bezier_points_; }
  void Polygon();
  void PolyBezier();

  // Text at (x, y) moved by TextJustify, in PenColor on BrushColor (or without background when
  // TextTransparent), turned by TextAngle; lines break at CR, LF and their pairs.
  void DrawText(int x, int y, const std::u16string& text);
  int32_t TextWidth(const std::u16string& text);
  int32_t TextHeight(const std::u16string& text);

  // The logical font of TextFont turned by TextAngle.
  plat::TLogFont TextLogFont() const;

 private:
  // Runs draw on the image when there is one, then repaints.
  void Draw(const std::function<void(TicBitmap&)>& draw);
  void Shape(TShapeType shape, bool fills, const TShapePoints& points);
  void PointShape(std::vector<plat::TPoint>& points, bool fills,
                  void (plat::TCanvas::*plain)(const std::vector<plat::TPoint>&),
                  void (*smooth)(const std::vector<plat::TPoint>&, plat::TBitmap&, uint8_t));
  void SetPen(plat::TCanvas& canvas) const;
  void SetBrush(plat::TCanvas& canvas) const;
  // Runs draw smoothed (reclassifying the colour format afterwards) or plain.
  void PlainOrSmooth(TicBitmap& image, const std::function<void()>& plain,
                     const std::function<void(uint8_t filter)>& smooth) const;
  plat::TSize TextExtent(const std::u16string& text);

  TpvImage& view_;
  std::vector<plat::TPoint> polygon_points_;
  std::vector<plat::TPoint> bezier_points_;
};

}  // namespace pictavo
