#include "control/engine/drawing/image_procs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

#include "control/engine/raster/resample.h"
#include "platform/base/rounding.h"
#include "platform/base/text.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

namespace {

using plat::TBitmap;
using plat::TPixelFormat;
using plat::TRect;

constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kBlack = 0x000000;
constexpr int kShapeScale = 2;
// The shrink reads this many pixels around each result pixel at most (Lanczos3 reaches 3):
// a working area cut to the image widened by it gives the same pixels inside the image.
constexpr int64_t kFilterReach = 8;

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// Table filters by their index; any other value smooths with Triangle in one pass, as 0 does.
int UsableFilter(uint8_t filter) {
  return filter < kFilterCount ? filter : 0;
}

bool IsLineBreak(char16_t c) {
  return c == u'\r' || c == u'\n';
}

int LineOffset(int width, int extent, uint8_t justification) {
  switch (justification) {
    case kJustifyCenter:
      return (width - extent) / 2;
    case kJustifyRight:
      return width - extent;
    default:
      return 0;
  }
}

int TextExtentOf(plat::TCanvas& canvas, const std::u16string& line) {
  return canvas.TextExtent(plat::Utf16ToUtf8(line)).cx;
}

// The working area of a smooth drawing: the wanted box (int64 edges) cut to the image widened
// by the filter's reach. Points are drawn relative to its top-left corner at `scale` times.
class TWorkArea {
 public:
  TWorkArea(const TBitmap& image, int64_t left, int64_t top, int64_t right, int64_t bottom,
            int scale)
      : scale_(scale) {
    rect_.Left = ClampToInt(std::max(left, -kFilterReach));
    rect_.Top = ClampToInt(std::max(top, -kFilterReach));
    rect_.Right = ClampToInt(std::min(right, image.Width() + kFilterReach));
    rect_.Bottom = ClampToInt(std::min(bottom, image.Height() + kFilterReach));
    if (image.Width() < 1 || image.Height() < 1) rect_ = {};
    if (rect_.IsEmpty()) return;
    const int64_t width = int64_t{rect_.Width()} * scale, height = int64_t{rect_.Height()} * scale;
    if (width > INT32_MAX || height > INT32_MAX) throw plat::EImageTooLarge(kDrawingTooLarge);
    // The colour bitmap and the mask, each scale x scale times the area, live together.
    plat::RequirePixelBudget(2 * plat::BytesPerRow(width, 24) * height, kDrawingTooLarge);
  }

  bool IsEmpty() const { return rect_.IsEmpty(); }
  const TRect& Rect() const { return rect_; }
  int ScaledWidth() const { return rect_.Width() * scale_; }
  int ScaledHeight() const { return rect_.Height() * scale_; }
  int X(int64_t x) const { return ClampToInt((x - rect_.Left) * scale_); }
  int Y(int64_t y) const { return ClampToInt((y - rect_.Top) * scale_); }
  std::vector<plat::TPoint> Points(const std::vector<plat::TPoint>& points) const {
    std::vector<plat::TPoint> mapped;
    mapped.reserve(points.size());
    for (const plat::TPoint& p : points) mapped.push_back({X(p.x), Y(p.y)});
    return mapped;
  }

  // The pixels of the image under the area, 24-bit. Beyond the image the edge pixels repeat,
  // so the shrink blends the pixels along the edge with what the image shows there.
  TBitmap Background(const TBitmap& image) const {
    TBitmap background(rect_.Width(), rect_.Height(), TPixelFormat::pf24bit);
    for (int y = 0; y < rect_.Height(); ++y) {
      const uint8_t* in = image.ScanLine(std::clamp(rect_.Top + y, 0, image.Height() - 1));
      uint8_t* out = background.ScanLine(y);
      for (int x = 0; x < rect_.Width(); ++x)
        std::memcpy(out + 3 * x, in + 3 * std::clamp(rect_.Left + x, 0, image.Width() - 1), 3);
    }
    return background;
  }
  // The background enlarged to the working scale: the bitmap the drawing goes on.
  TBitmap Enlarged(const TBitmap& background) const {
    TBitmap colour;
    Stretch(ScaledWidth(), ScaledHeight(), colour, 0, false, background);
    return colour;
  }
  // A white bitmap at the working scale: the drawing in black on it marks what may change.
  TBitmap BlankMask() const {
    TBitmap mask(ScaledWidth(), ScaledHeight(), TPixelFormat::pf24bit);
    mask.FillRect({0, 0, ScaledWidth(), ScaledHeight()}, kWhite);
    return mask;
  }
  TBitmap Shrunk(const TBitmap& drawn, uint8_t filter, bool filtered) const {
    TBitmap result;
    Stretch(rect_.Width(), rect_.Height(), result, UsableFilter(filter), filtered, drawn);
    return result;
  }

 private:
  TRect rect_;
  int scale_;
};

// Smooths a drawing: draw paints it on the enlarged colour bitmap and, in black, on the mask;
// both are shrunk and composed into the image.
template <typename Prepare, typename Draw>
void Smoothed(TBitmap& image, const TWorkArea& area, uint8_t filter, bool filtered_mask,
              Prepare prepare, Draw draw) {
  const TBitmap background = area.Background(std::as_const(image));
  TBitmap colour = area.Enlarged(background);
  TBitmap mask = area.BlankMask();
  prepare(colour.Canvas(), false);
  draw(colour.Canvas());
  prepare(mask.Canvas(), true);
  draw(mask.Canvas());
  ComposeThroughMask(image, background, area.Shrunk(colour, filter, true), area.Rect(),
                     area.Shrunk(mask, filter, filtered_mask));
}

// The pen and brush of the image canvas at twice the width, or their black mask versions
// (solid copy pen unless keep_mask_pen).
void ScaledPenAndBrush(plat::TCanvas& from, plat::TCanvas& to, bool mask, bool keep_mask_pen) {
  to.Brush = from.Brush;
  to.Pen = from.Pen;
  to.Pen.Width = std::max(from.Pen.Width, 1) * kShapeScale;
  if (!mask) return;
  to.Brush.Color = kBlack;
  to.Pen.Color = kBlack;
  if (keep_mask_pen) return;
  to.Pen.Style = plat::TPenStyle::psSolid;
  to.Pen.Mode = plat::TPenMode::pmCopy;
}

// The box of points widened by the pen width.
TWorkArea PointArea(const TBitmap& image, const std::vector<plat::TPoint>& points, int pen) {
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (const plat::TPoint& p : points) {
    left = std::min<int64_t>(left, p.x), right = std::max<int64_t>(right, p.x);
    top = std::min<int64_t>(top, p.y), bottom = std::max<int64_t>(bottom, p.y);
  }
  return TWorkArea(image, left - pen, top - pen, right + pen, bottom + pen, kShapeScale);
}

void DrawAntialiasedPoints(const std::vector<plat::TPoint>& points, TBitmap& image, uint8_t filter,
                           void (plat::TCanvas::*draw)(const std::vector<plat::TPoint>&)) {
  if (points.empty()) return;
  plat::TCanvas& canvas = image.Canvas();
  const TWorkArea area = PointArea(image, points, std::max(canvas.Pen.Width, 1));
  // Refused before anything changes; then the image becomes 24-bit even when nothing shows.
  image.SetPixelFormat(TPixelFormat::pf24bit);
  if (area.IsEmpty()) return;
  const std::vector<plat::TPoint> mapped = area.Points(points);
  Smoothed(
      image, area, filter, true,
      [&](plat::TCanvas& to, bool mask) { ScaledPenAndBrush(canvas, to, mask, true); },
      [&](plat::TCanvas& to) { (to.*draw)(mapped); });
}

// The quadrant of a text angle in degrees, and the offset of the turned text's anchor from the
// top-left corner of its box.
plat::TPoint TurnedTextOffset(double angle, int tw, int th) {
  const int rounded = RoundToInt(angle);
  int quadrant;
  if (angle >= 1)
    quadrant = (angle > 360 ? rounded % 360 : rounded) / 90;
  else if (angle > -360)
    quadrant = 3 - RoundToInt(-angle) / 90;
  else
    quadrant = 3 - ((-rounded) % 360) / 90;
  const double a = Radians(angle), s = std::sin(a), c = std::cos(a);
  switch (quadrant) {
    case 0:
      return {0, -RoundToInt(s * tw)};
    case 1:
      return {RoundToInt(c * tw), -RoundToInt(std::abs(s * tw) + std::abs(c * th))};
    case 2:
      return {-RoundToInt(std::abs(s * th) + std::abs(c * tw)), RoundToInt(c * th)};
    case 3:
      return {RoundToInt(s * th), 0};
    default:
      return {0, 0};
  }
}

}  // namespace

int RoundToInt(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::clamp<double>(std::nearbyint(value), INT32_MIN, INT32_MAX));
}

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

TWideStringList SplitTextLines(const std::u16string& text) {
  TWideStringList lines;
  std::u16string line;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!IsLineBreak(c)) {
      line += c;
      continue;
    }
    if (i + 1 < text.size() && IsLineBreak(text[i + 1]) && text[i + 1] != c) ++i;
    // A text of one break alone holds no line.
    if (i + 1 == text.size() && lines.Count() == 0 && line.empty()) return lines;
    lines.Add(line);
    line.clear();
  }
  if (!line.empty()) lines.Add(line);
  return lines;
}

void LayoutTextLines(TBitmap& bitmap, const std::u16string& text, int x, int y, int& width,
                     int& height, bool draw, uint8_t justification) {
  if (text.empty()) return;
  plat::TCanvas& canvas = bitmap.Canvas();
  const int line_height = canvas.TextMetrics().tmHeight;
  const double a = Radians(canvas.Font.LogFont.lfEscapement / 10.0);
  const TWideStringList lines = SplitTextLines(text);
  std::vector<int> extents;
  width = 0;
  for (int d = 0; d < lines.Count(); ++d) {
    extents.push_back(TextExtentOf(canvas, lines.Get(d)));
    width = std::max(width, extents.back());
  }
  height = ClampToInt(int64_t{lines.Count()} * line_height);
  if (!draw) return;
  for (int d = 0; d < lines.Count(); ++d) {
    const double down = static_cast<double>(d) * line_height;
    const int along = LineOffset(width, extents[static_cast<size_t>(d)], justification);
    canvas.ExtTextOutW(RoundToInt(x + std::sin(a) * down + std::cos(a) * along),
                       RoundToInt(y + std::cos(a) * down - std::sin(a) * along), lines.Get(d));
  }
}

void DrawMultiLineText(TBitmap& bitmap, const std::u16string& text, int x, int y,
                       uint8_t justification) {
  int width = 0, height = 0;
  LayoutTextLines(bitmap, text, x, y, width, height, true, justification);
}

void MeasureMultiLineText(TBitmap& bitmap, const std::u16string& text, int& width, int& height) {
  LayoutTextLines(bitmap, text, 0, 0, width, height, false, kJustifyLeft);
}

int TextSmoothingScale(int32_t font_height) {
  return font_height > 14 ? 2 : 4;
}

void DrawAntialiasedText(TBitmap& image, int x, int y, const std::u16string& text, uint8_t filter,
                         uint8_t justification) {
  if (text.empty()) return;
  plat::TCanvas& canvas = image.Canvas();
  const plat::TLogFont font = canvas.Font.LogFont;
  const int scale = TextSmoothingScale(font.lfHeight);
  const double angle = font.lfEscapement / 10.0;
  int tw = 0, th = 0;
  MeasureMultiLineText(image, text, tw, th);
  // The last character's width again: italic and turned glyphs may overhang the advance.
  tw += TextExtentOf(canvas, text.substr(text.size() - 1));
  const int64_t margin = std::abs(int64_t{font.lfHeight}) / 2;
  const double a = Radians(angle), s = std::sin(a), c = std::cos(a);
  const int64_t box_width =
      RoundToInt(std::abs(s * th)) + RoundToInt(std::abs(c * tw)) + 2 * margin;
  const int64_t box_height =
      RoundToInt(std::abs(s * tw)) + RoundToInt(std::abs(c * th)) + 2 * margin;
  const plat::TPoint offset = TurnedTextOffset(angle, tw, th);
  const int64_t left = int64_t{x} + offset.x - margin, top = int64_t{y} + offset.y - margin;
  const TWorkArea area(image, left, top, left + box_width, top + box_height, scale);
  // Refused before anything changes; then the image becomes 24-bit even when nothing shows.
  image.SetPixelFormat(TPixelFormat::pf24bit);
  if (area.IsEmpty()) return;
  const plat::TBrush brush = canvas.Brush;
  const plat::TColor text_colour = canvas.Font.Color;
  const auto prepare = [&](plat::TCanvas& to, bool mask) {
    to.Font.LogFont = font;
    to.Font.LogFont.lfHeight = RoundToInt(static_cast<double>(font.lfHeight) * scale);
    to.Font.LogFont.lfEscapement = RoundToInt(angle * 10);
    to.Font.Color = mask ? kBlack : text_colour;
    to.Brush = brush;
    if (mask) {
      to.Brush.Color = kBlack;
      return;
    }
    // Only an area already in the brush colour takes the brush here; the text cell takes it
    // anyway when the brush is not clear.
    to.FloodFill(0, 0, brush.Color, plat::TFillStyle::fsSurface);
  };
  const bool clear_brush = brush.Style == plat::TBrushStyle::bsClear;
  Smoothed(image, area, filter, clear_brush, prepare, [&](plat::TCanvas& to) {
    DrawMultiLineText(to.Bitmap(), text, area.X(x), area.Y(y), justification);
  });
}

void DrawShape(plat::TCanvas& canvas, TShapeType shape, const TShapePoints& p) {
  switch (shape) {
    case stArc:
      return canvas.Arc(p.x1, p.y1, p.x2, p.y2, p.x3, p.y3, p.x4, p.y4);
    case stChord:
      return canvas.Chord(p.x1, p.y1, p.x2, p.y2, p.x3, p.y3, p.x4, p.y4);
    case stEllipse:
      return canvas.Ellipse(p.x1, p.y1, p.x2, p.y2);
    case stPie:
      return canvas.Pie(p.x1, p.y1, p.x2, p.y2, p.x3, p.y3, p.x4, p.y4);
    case stRectangle:
      return canvas.Rectangle(p.x1, p.y1, p.x2, p.y2);
    case stRoundRect:
      return canvas.RoundRect(p.x1, p.y1, p.x2, p.y2, p.x3, p.y3);
    case stLine:
      canvas.MoveTo(p.x1, p.y1);
      return canvas.LineTo(p.x2, p.y2);
  }
}

void DrawAntialiasedShape(const TShapePoints& p, TBitmap& image, TShapeType shape, uint8_t filter) {
  plat::TCanvas& canvas = image.Canvas();
  // A pen below one pixel draws one pixel wide, as the plain pen does.
  const int64_t pen = std::max(canvas.Pen.Width, 1);
  const TWorkArea area(image, int64_t{std::min(p.x1, p.x2)} - pen,
                       int64_t{std::min(p.y1, p.y2)} - pen, int64_t{std::max(p.x1, p.x2)} + pen,
                       int64_t{std::max(p.y1, p.y2)} + pen, kShapeScale);
  // Refused before anything changes; then the image becomes 24-bit even when nothing shows.
  image.SetPixelFormat(TPixelFormat::pf24bit);
  if (area.IsEmpty()) return;
  // Corner sizes are sizes, not points: they only scale.
  const bool corner_sizes = shape == stRoundRect;
  const TShapePoints scaled{area.X(p.x1),
                            area.Y(p.y1),
                            area.X(p.x2),
                            area.Y(p.y2),
                            corner_sizes ? ClampToInt(int64_t{p.x3} * kShapeScale) : area.X(p.x3),
                            corner_sizes ? ClampToInt(int64_t{p.y3} * kShapeScale) : area.Y(p.y3),
                            area.X(p.x4),
                            area.Y(p.y4)};
  Smoothed(
      image, area, filter, true,
      [&](plat::TCanvas& to, bool mask) { ScaledPenAndBrush(canvas, to, mask, false); },
      [&](plat::TCanvas& to) { DrawShape(to, shape, scaled); });
}

void DrawAntialiasedPolygon(const std::vector<plat::TPoint>& points, TBitmap& image,
                            uint8_t filter) {
  DrawAntialiasedPoints(points, image, filter, &plat::TCanvas::Polygon);
}

void DrawAntialiasedPolyBezier(const std::vector<plat::TPoint>& points, TBitmap& image,
                               uint8_t filter) {
  DrawAntialiasedPoints(points, image, filter, &plat::TCanvas::PolyBezier);
}

void ComposeThroughMask(TBitmap& image, const TBitmap& background, const TBitmap& result,
                        const TRect& target, const TBitmap& mask) {
  const auto same_layout = [&](const TBitmap& b) {
    return b.PixelFormat() == TPixelFormat::pf24bit && b.Width() == background.Width() &&
           b.Height() == background.Height();
  };
  if (image.PixelFormat() != TPixelFormat::pf24bit || !same_layout(background) ||
      !same_layout(result) || !same_layout(mask))
    throw plat::EInvalidGraphicOperation("Composition needs 24-bit bitmaps of one size");
  const int64_t rows = std::min<int64_t>(target.Top + int64_t{background.Height()}, image.Height());
  const int64_t columns =
      std::min<int64_t>(target.Left + int64_t{background.Width()}, image.Width());
  for (int64_t y = std::max(target.Top, 0); y < rows; ++y) {
    const int r = static_cast<int>(y - target.Top);
    const uint8_t* keep = background.ScanLine(r);
    const uint8_t* drawn = result.ScanLine(r);
    const uint8_t* marks = mask.ScanLine(r);
    uint8_t* out = image.ScanLine(static_cast<int>(y));
    for (int64_t x = std::max(target.Left, 0); x < columns; ++x) {
      const int64_t c = 3 * (x - target.Left);
      const bool unmarked = marks[c] == 255 && marks[c + 1] == 255 && marks[c + 2] == 255;
      std::memcpy(out + 3 * x, (unmarked ? keep : drawn) + c, 3);
    }
  }
  image.Changed();
}

}  // namespace pictavo
