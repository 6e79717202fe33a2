#pragma once
// The drawing surface of a bitmap, with GDI's geometry and raster rules.
//
// - Boxes (Rectangle, Ellipse, RoundRect, Arc, Chord, Pie) exclude their right and bottom edges;
//   LineTo does not draw its last pixel.
// - The pen draws outlines through its mode (one of the 16 binary raster operations) on the stored
//   bits of each pixel: per channel byte on direct-colour images, on the index bits of 1-, 4- and
//   8-bit images after matching the pen colour to the nearest palette entry. Brush fills of shapes
//   go through the same mode; FillRect, FloodFill, text and blits do not.
// - The background is opaque in the brush colour while the brush is solid and transparent
//   otherwise: dash gaps and text cells follow it.
// - Colours may name system colours (0x800000nn). Coordinates anywhere in the 32-bit range are
//   clipped to the bitmap before anything is rasterised.
//
// Text needs a QGuiApplication (fonts come from fontconfig at 96 dpi, never antialiased).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/graphic.h"

namespace plat {

class TBitmap;

// The 16 binary raster operations, in the platform's order: P is the pen, D the pixel.
enum class TPenMode {
  pmBlack,        // 0
  pmWhite,        // all bits set
  pmNop,          // D
  pmNot,          // ~D
  pmCopy,         // P
  pmNotCopy,      // ~P
  pmMergePenNot,  // P | ~D
  pmMaskPenNot,   // P & ~D
  pmMergeNotPen,  // ~P | D
  pmMaskNotPen,   // ~P & D
  pmMerge,        // P | D
  pmNotMerge,     // ~(P | D)
  pmMask,         // P & D
  pmNotMask,      // ~(P & D)
  pmXor,          // P ^ D
  pmNotXor        // ~(P ^ D)
};

// Combines pen and pixel bits; the caller keeps only the bits the pixel stores.
uint32_t ApplyPenMode(TPenMode mode, uint32_t pen, uint32_t pixel);

// Cosmetic dash lengths in pixels (on, off, on, off...): dash 18-6, dot 3-3, dash-dot 9-6-3-6,
// dash-dot-dot 9-3-3-3-3-3. Inside frame draws solid and keeps wide pens inside closed shapes.
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// Solid, clear, and six hatches of 8 x 8 pixels anchored at the bitmap's origin.
enum class TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,  // top left to bottom right
  bsBDiagonal,  // bottom left to top right
  bsCross,
  bsDiagCross
};

struct TPen {
  TColor Color = 0x000000;
  TPenMode Mode = TPenMode::pmCopy;
  // Width 0 draws as 1; widths above 1 draw solid with round ends and joins.
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
};

struct TBrush {
  TColor Color = 0xFFFFFF;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

// The logical-font record. A negative height is the character height in pixels, a positive one
// the cell height (character plus internal leading); escapement and orientation are in tenths of
// a degree, counter-clockwise; a weight of 700 and up is bold.
struct TLogFont {
  static constexpr size_t kFaceNameLength = 32;  // 31 characters and the terminating zero

  int32_t lfHeight = -11;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 400;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 1;  // DEFAULT_CHARSET
  char16_t lfFaceName[kFaceNameLength] = u"MS Sans Serif";

  // Keeps the first 31 characters of name.
  void SetFaceName(std::u16string_view name);
  std::u16string FaceName() const;
};

struct TFont {
  TLogFont LogFont;
  TColor Color = 0x000000;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// The text metrics the drawing code reads; tmHeight = tmAscent + tmDescent.
struct TTextMetric {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmAveCharWidth = 0;
};

struct TPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

enum class TFillStyle { fsSurface, fsBorder };

// Raster operations of the blits: S is the source pixel, D the destination pixel.
enum class TCopyMode : uint32_t {
  cmSrcCopy = 0x00CC0020,     // S
  cmSrcAnd = 0x008800C6,      // S & D
  cmSrcPaint = 0x00EE0086,    // S | D
  cmSrcInvert = 0x00660046,   // S ^ D
  cmNotSrcCopy = 0x00330008,  // ~S
};

// COLORONCOLOR takes the nearest source pixel; HALFTONE averages the source area of each pixel.
enum class TStretchMode { smColorOnColor = 3, smHalftone = 4 };

// The value Pixel reports outside the image.
constexpr TColor kInvalidColor = 0xFFFFFFFF;

class TCanvas {
 public:
  explicit TCanvas(TBitmap& target) : target_(target) {}
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen Pen;
  TBrush Brush;
  TFont Font;
  TCopyMode CopyMode = TCopyMode::cmSrcCopy;
  TStretchMode StretchMode = TStretchMode::smColorOnColor;

  TBitmap& Bitmap() { return target_; }

  // Expires when this canvas is destroyed, so a holder that may outlive it can tell before
  // drawing; check it on the thread that destroys the canvas.
  std::weak_ptr<const void> Liveness() const { return alive_; }

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Fills rect with the brush (a clear brush fills nothing), ignoring the pen mode.
  void FillRect(const TRect& rect);

  TPoint PenPos() const { return pen_pos_; }
  void MoveTo(int x, int y);
  // Draws from the pen position to (x, y), leaving (x, y) itself out, and moves the pen there.
  void LineTo(int x, int y);

  // Closed shapes fill the inside with the brush and draw the outline with the pen.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  // Corners are quarters of an ellipse of corner_width x corner_height.
  void RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height);
  // The part of the ellipse in the box that runs counter-clockwise from the ray through
  // (x3, y3) to the ray through (x4, y4); the same ray twice gives the whole ellipse. Arc draws
  // it; Chord closes it with a straight line, Pie with two lines through the centre.
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // Closed, filled in alternate mode (a point is inside when a ray from it crosses the outline
  // an odd number of times).
  void Polygon(const std::vector<TPoint>& points);
  // Cubic curves through 3n + 1 points (each ending where the next starts); any other count
  // draws nothing.
  void PolyBezier(const std::vector<TPoint>& points);

  // Fills from (x, y) with the brush: fsSurface the 4-connected area of color, fsBorder the one
  // bounded by color. A start pixel that does not qualify changes nothing.
  void FloodFill(int x, int y, TColor color, TFillStyle style);

  // Text with its cell's top-left corner at (x, y), turned counter-clockwise about that corner
  // by the font's escapement, in the font colour.
  void TextOut(int x, int y, const std::string& utf8);
  void ExtTextOutW(int x, int y, std::u16string_view text);
  // The unrotated cell of the text: its advance by tmHeight.
  TSize TextExtent(const std::string& utf8) const;
  TTextMetric TextMetrics() const;

  // Copies source_rect of source into dest_rect of this canvas with CopyMode, stretching with
  // StretchMode; source may be this canvas.
  void CopyRect(const TRect& dest_rect, TCanvas& source, const TRect& source_rect);
  void StretchBlt(const TRect& dest_rect, const TBitmap& source, const TRect& source_rect,
                  TCopyMode mode);

  // Draws graphic at its own size with its top-left corner at (x, y).
  void Draw(int x, int y, const TGraphic& graphic);
  // Draws graphic stretched into rect (nearest pixel); through its own Draw when it is no bitmap.
  void StretchDraw(const TRect& rect, const TGraphic& graphic);

 private:
  void DrawText(int x, int y, const std::u16string& text);

  TBitmap& target_;
  TPoint pen_pos_;
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace plat
