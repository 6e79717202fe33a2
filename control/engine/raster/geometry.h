#pragma once
// Operations that change the size or orientation of a TicBitmap. Each cancels the selection.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// The image becomes the inclusive rectangle; the parts outside the old image take BGColor.
// X1 must be below X2 and Y1 below Y2: equal or inverted bounds, or a rectangle starting right
// of or below the image, only cancel the selection.
void Crop(TicBitmap& bitmap, int x1, int y1, int x2, int y2);

// Counter-clockwise by angle degrees. Multiples of 360 do nothing at all (the selection stays);
// 90, 180 and 270 move pixels exactly; other angles sample the source (bilinear when smooth
// and 24-bit) and fill the uncovered corners with fillColor, which becomes BGColor. An angle that
// is not finite is refused with "Invalid rotation angle" and changes nothing.
void Rotate(TicBitmap& bitmap, bool smooth, plat::TColor fillColor, float angle);

// A zero side follows the other one by the aspect ratio (at least one pixel); both zero only
// cancel the selection. A negative side is refused with "Invalid image size".
void Resize(TicBitmap& bitmap, int newWidth, int newHeight, int filterIndex, bool resample);

// The smoothed rotation's sample of a 24-bit source at (x, y): the four neighbours weighted by
// distance, those outside the image counting as fill (red in bits 0-7). Writes blue, green, red.
void BilinearSample(const plat::TBitmap& source, float x, float y, plat::TColor fill, uint8_t* out);

}  // namespace pictavo
