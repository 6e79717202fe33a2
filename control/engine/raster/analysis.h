#pragma once
// Whole-image questions and the inversion of a TicBitmap, and the circle through three points
// the arc drawing uses.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// Pixels of exactly colour (0x00BBGGRR). On indexed images every palette entry of that colour
// counts its pixels, so a colour standing in two entries counts both. Other layouts: 0.
int64_t ColorCount(const TicBitmap& bitmap, plat::TColor colour);

// Complements 1-bit and 24-bit pixels, and the palette of 4- and 8-bit images (their indices
// stay). Other layouts are left alone.
void Invert(TicBitmap& bitmap);

// True when the image's darkness stays within tolerance parts per million of the darkest
// possible image. A 1-bit image counts its non-white pixels and is never blank without a white
// palette entry. Tolerances of 1,000,000 and more accept every image.
bool IsBlank(const TicBitmap& bitmap, uint32_t tolerance);

struct TCircle {
  int32_t x = 0, y = 0, radius = 0;
  // True when the arc from the third point to the first runs through the second
  // counter-clockwise in top-down coordinates.
  bool reversed = false;
};
// The circle through three points; false (and all zeros) for collinear or coincident points.
bool CircleThrough3Points(TCircle& circle, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          int32_t x3, int32_t y3);

struct TArc {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // bounding box of the circle
  int32_t start_x = 0, start_y = 0, end_x = 0, end_y = 0;
};
// The arc from the first point to the third through the second, as a counter-clockwise arc of
// the platform canvas draws it; false (and all zeros) when no circle passes the points.
bool ArcThrough3Points(TArc& arc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                       int32_t y3);

}  // namespace pictavo
