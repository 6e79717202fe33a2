#pragma once
// Drawing procedures over a bitmap's canvas: multi-line text that may be turned and justified,
// its measurement, and smooth (anti-aliased) text and shapes.
//
// Every procedure draws with the state the caller left on the target canvas: font (face, height,
// weight, style, escapement), font colour, pen and brush. Nothing is repainted.
//
// Smoothing draws the text or shape at a larger scale onto a copy of the pixels under it and
// shrinks the copy with a resampling filter; a mask drawn the same way decides which pixels may
// change. Only the box around the drawing is enlarged, cut to the image plus the reach of the
// filter, so a box far beyond the image costs nothing. The image becomes 24-bit; its
// TicBitmap::ColorFormat is left to the caller.
#include <cstdint>
#include <string>
#include <vector>

#include "control/engine/raster/pvclasses.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace pictavo {

// Justification codes of TxTextJustify; any other value is left.
inline constexpr uint8_t kJustifyLeft = 0, kJustifyCenter = 1, kJustifyRight = 2;

// The shapes drawn from up to four points: boxes (x1, y1)-(x2, y2); arc, chord and pie from
// the ray through (x3, y3) to the ray through (x4, y4); a line from (x1, y1) to (x2, y2).
enum TShapeType : uint8_t {
  stArc,
  stChord,
  stEllipse,
  stPie,
  stRectangle,
  stRoundRect,  // (x3, y3) are the width and height of the corner ellipse
  stLine,
};

struct TShapePoints {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 0;
};

// Draws the shape with the canvas's pen and brush, as the canvas's own call of that name does.
void DrawShape(plat::TCanvas& canvas, TShapeType shape, const TShapePoints& p);

// The message when a smooth drawing would need working bitmaps beyond the pixel budget.
inline constexpr char kDrawingTooLarge[] = "The drawing is too large to smooth";

// To the nearest int, halves to even, within the int range (NaN gives 0).
int RoundToInt(double value);
// The int range's nearest value.
int ClampToInt(int64_t value);

// The lines of text: CR LF, LF CR, CR and LF each end a line (pairs read from the left); a break
// at the very end starts no further line.
TWideStringList SplitTextLines(const std::u16string& text);

// Measures text line by line with the canvas font into width (the widest line) and height
// (lines x tmHeight), and draws it when draw is set: each line shifted along the turned
// baseline by its justification and stacked along the turned downward direction. An empty
// text leaves width and height alone.
void LayoutTextLines(plat::TBitmap& bitmap, const std::u16string& text, int x, int y, int& width,
                     int& height, bool draw, uint8_t justification);
void DrawMultiLineText(plat::TBitmap& bitmap, const std::u16string& text, int x, int y,
                       uint8_t justification);
// The unturned extent of text: width of the widest line, height of all lines.
void MeasureMultiLineText(plat::TBitmap& bitmap, const std::u16string& text, int& width,
                          int& height);

// The smooth drawings. filter is a resampling filter index (FilterByIndex); a value outside
// the table smooths with Triangle in one pass. Working bitmaps beyond the pixel budget raise
// plat::EImageTooLarge(kDrawingTooLarge) before anything is drawn.
// Text is smoothed at 4 times up to a font height value of 14 and at 2 times above it (negative
// values, character heights, always at 4 times).
int TextSmoothingScale(int32_t font_height);
void DrawAntialiasedText(plat::TBitmap& image, int x, int y, const std::u16string& text,
                         uint8_t filter, uint8_t justification);
void DrawAntialiasedShape(const TShapePoints& points, plat::TBitmap& image, TShapeType shape,
                          uint8_t filter);
void DrawAntialiasedPolygon(const std::vector<plat::TPoint>& points, plat::TBitmap& image,
                            uint8_t filter);
// Draws only for 3n + 1 points, as the canvas does.
void DrawAntialiasedPolyBezier(const std::vector<plat::TPoint>& points, plat::TBitmap& image,
                               uint8_t filter);

// Writes into the 24-bit image, at target's top-left corner, the result pixel wherever the mask
// pixel is not pure white and the background pixel elsewhere; pixels outside the image are
// skipped. The three bitmaps are 24-bit and of one size.
void ComposeThroughMask(plat::TBitmap& image, const plat::TBitmap& background,
                        const plat::TBitmap& result, const plat::TRect& target,
                        const plat::TBitmap& mask);

}  // namespace pictavo
