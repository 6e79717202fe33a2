#pragma once
// The drawing surface of a bitmap: pixels, filled and outlined rectangles and drawing other
// graphics, with GDI's geometry (the right and bottom edges of a rectangle are not drawn). Colours
// may name system colours; on indexed images every colour becomes the nearest palette entry.
#include "platform/graphics/color.h"
#include "platform/graphics/graphic.h"

namespace plat {

class TBitmap;

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TBrushStyle { bsSolid, bsClear };

struct TPen {
  TColor Color = 0x000000;
  TPenStyle Style = TPenStyle::psSolid;
};

struct TBrush {
  TColor Color = 0xFFFFFF;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

// The value Pixels reports outside the image.
constexpr TColor kInvalidColor = 0xFFFFFFFF;

class TCanvas {
 public:
  explicit TCanvas(TBitmap& target) : target_(target) {}
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen Pen;
  TBrush Brush;

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  // Fills rect with the brush (a clear brush fills nothing).
  void FillRect(const TRect& rect);
  // Fills the inside with the brush and draws a one-pixel outline with the pen.
  void Rectangle(int x1, int y1, int x2, int y2);
  // Draws graphic at its own size with its top-left corner at (x, y).
  void Draw(int x, int y, const TGraphic& graphic);
  // Draws graphic stretched into rect (nearest pixel); through its own Draw when it is no bitmap.
  void StretchDraw(const TRect& rect, const TGraphic& graphic);

 private:
  TBitmap& target_;
};

}  // namespace plat
