#include "control/engine/view/image_drawing.h"

#include <algorithm>
#include <cmath>

#include "control/engine/raster/analysis.h"
#include "control/engine/view/pvimage.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

constexpr int kBold = 700, kNormal = 400;

}  // namespace

void TImageDrawing::Draw(const std::function<void(TicBitmap&)>& draw) {
  view_.ChangeImage(draw);
  view_.update();
}

void TImageDrawing::SetPen(plat::TCanvas& canvas) const {
  canvas.Pen = {view_.PenColor(), static_cast<plat::TPenMode>(view_.PenMode()), view_.PenWidth(),
                static_cast<plat::TPenStyle>(view_.PenStyle())};
}

void TImageDrawing::SetBrush(plat::TCanvas& canvas) const {
  canvas.Brush = {view_.BrushColor(), static_cast<plat::TBrushStyle>(view_.BrushStyle())};
}

void TImageDrawing::PlainOrSmooth(TicBitmap& image, const std::function<void()>& plain,
                                  const std::function<void(uint8_t filter)>& smooth) const {
  if (!view_.Antialias()) return plain();
  // The smoothing leaves 24-bit pixels, also when it fails half-way.
  struct Reclassify {
    TicBitmap& image;
    ~Reclassify() { image.UpdateColorFormat(); }
  } reclassify{image};
  smooth(static_cast<uint8_t>(view_.FilterType()));
}

void TImageDrawing::Shape(TShapeType shape, bool fills, const TShapePoints& points) {
  Draw([&](TicBitmap& image) {
    plat::TCanvas& canvas = image.Canvas();
    SetPen(canvas);
    if (fills) SetBrush(canvas);
    PlainOrSmooth(
        image, [&] { DrawShape(canvas, shape, points); },
        [&](uint8_t filter) { DrawAntialiasedShape(points, image, shape, filter); });
  });
}

void TImageDrawing::DrawLine(int x1, int y1, int x2, int y2) {
  Shape(stLine, false, {x1, y1, x2, y2});
}
void TImageDrawing::Rectangle(int x1, int y1, int x2, int y2) {
  Shape(stRectangle, true, {x1, y1, x2, y2});
}
void TImageDrawing::Ellipse(int x1, int y1, int x2, int y2) {
  Shape(stEllipse, true, {x1, y1, x2, y2});
}
void TImageDrawing::RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height) {
  Shape(stRoundRect, true, {x1, y1, x2, y2, corner_width, corner_height});
}
void TImageDrawing::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Shape(stArc, false, {x1, y1, x2, y2, x3, y3, x4, y4});
}
void TImageDrawing::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Shape(stChord, true, {x1, y1, x2, y2, x3, y3, x4, y4});
}
void TImageDrawing::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Shape(stPie, true, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void TImageDrawing::CircleCR(int x, int y, int r) {
  Ellipse(ClampToInt(int64_t{x} - r), ClampToInt(int64_t{y} - r), ClampToInt(int64_t{x} + r + 1),
          ClampToInt(int64_t{y} + r + 1));
}

void TImageDrawing::Circle3XY(int x1, int y1, int x2, int y2, int x3, int y3) {
  TCircle circle;
  if (CircleThrough3Points(circle, x1, y1, x2, y2, x3, y3))
    CircleCR(circle.x, circle.y, circle.radius);
  else
    view_.update();
}

void TImageDrawing::Arc3XY(int x1, int y1, int x2, int y2, int x3, int y3) {
  TArc arc;
  if (ArcThrough3Points(arc, x1, y1, x2, y2, x3, y3)) {
    Arc(arc.left, arc.top, arc.right, arc.bottom, arc.start_x, arc.start_y, arc.end_x, arc.end_y);
    return;
  }
  DrawLine(x1, y1, x2, y2);
  DrawLine(x1, y1, x3, y3);
}

void TImageDrawing::FloodFill(int x, int y) {
  Draw([&](TicBitmap& image) {
    SetBrush(image.Canvas());
    image.Canvas().FloodFill(x, y, view_.FloodFillColor(),
                             static_cast<plat::TFillStyle>(view_.FloodFillStyle()));
  });
}

plat::TColor TImageDrawing::PixelColor(int x, int y) const {
  const TicBitmap* image = view_.CurrentImage();
  const bool inside = image && x >= 0 && y >= 0 && x < image->Width() && y < image->Height();
  return inside ? image->PixelColor(x, y) : plat::kInvalidColor;
}

void TImageDrawing::SetPixelColor(int x, int y, plat::TColor color) {
  Draw([&](TicBitmap& image) { image.Canvas().SetPixel(x, y, color); });
}

void TImageDrawing::PointShape(std::vector<plat::TPoint>& points, bool fills,
                               void (plat::TCanvas::*plain)(const std::vector<plat::TPoint>&),
                               void (*smooth)(const std::vector<plat::TPoint>&, plat::TBitmap&,
                                              uint8_t)) {
  Draw([&](TicBitmap& image) {
    if (points.empty()) return;
    plat::TCanvas& canvas = image.Canvas();
    SetPen(canvas);
    if (fills) SetBrush(canvas);
    PlainOrSmooth(
        image, [&] { (canvas.*plain)(points); },
        [&](uint8_t filter) { smooth(points, image, filter); });
    points.clear();
  });
}

void TImageDrawing::Polygon() {
  PointShape(polygon_points_, true, &plat::TCanvas::Polygon, &DrawAntialiasedPolygon);
}
void TImageDrawing::PolyBezier() {
  PointShape(bezier_points_, false, &plat::TCanvas::PolyBezier, &DrawAntialiasedPolyBezier);
}

plat::TLogFont TImageDrawing::TextLogFont() const {
  const TFontDesc& desc = view_.TextFont();
  plat::TLogFont font;
  font.lfHeight = desc.Height;
  font.lfEscapement = font.lfOrientation = RoundToInt(view_.TextAngle() * 10.0);
  font.lfWeight = desc.Style & TFontDesc::fsBold ? kBold : kNormal;
  font.lfItalic = desc.Style & TFontDesc::fsItalic ? 1 : 0;
  font.lfUnderline = desc.Style & TFontDesc::fsUnderline ? 1 : 0;
  font.lfStrikeOut = desc.Style & TFontDesc::fsStrikeOut ? 1 : 0;
  font.lfCharSet = 0;
  font.SetFaceName(plat::Utf8ToUtf16(plat::AnsiToUtf8(desc.Name)));
  return font;
}

plat::TSize TImageDrawing::TextExtent(const std::u16string& text) {
  plat::TSize extent;
  view_.ChangeImage([&](TicBitmap& image) {
    image.Canvas().Font.LogFont = TextLogFont();
    MeasureMultiLineText(image, text, extent.cx, extent.cy);
  });
  return extent;
}

int32_t TImageDrawing::TextWidth(const std::u16string& text) {
  return TextExtent(text).cx;
}
int32_t TImageDrawing::TextHeight(const std::u16string& text) {
  return TextExtent(text).cy;
}

void TImageDrawing::DrawText(int x, int y, const std::u16string& text) {
  const uint8_t justification = view_.TextJustify();
  if (justification == kJustifyCenter)
    x = ClampToInt(int64_t{x} - TextWidth(text) / 2);
  else if (justification == kJustifyRight)
    x = ClampToInt(int64_t{x} - TextWidth(text));
  else if (justification != kJustifyLeft)
    x = 0;
  Draw([&](TicBitmap& image) {
    plat::TCanvas& canvas = image.Canvas();
    // The brush style is the canvas's own across drawings: only this text may change it.
    struct RestoreBrushStyle {
      plat::TCanvas& canvas;
      plat::TBrushStyle style;
      ~RestoreBrushStyle() { canvas.Brush.Style = style; }
    } restore{canvas, canvas.Brush.Style};
    if (view_.TextTransparent())
      canvas.Brush.Style = plat::TBrushStyle::bsClear;
    else
      canvas.Brush.Color = view_.BrushColor();
    canvas.Font = {TextLogFont(), view_.PenColor()};
    PlainOrSmooth(
        image, [&] { DrawMultiLineText(image, text, x, y, justification); },
        [&](uint8_t filter) { DrawAntialiasedText(image, x, y, text, filter, justification); });
  });
}

}  // namespace pictavo
