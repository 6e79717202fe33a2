#pragma once
// Small images for the raster tests.
#include <cstdint>
#include <random>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo::testing {

inline void SetRGB(plat::TBitmap& bmp, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  uint8_t* p = bmp.ScanLine(y) + 3 * x;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

// A classified 24-bit image of one colour.
inline void Make24(TicBitmap& bmp, int w, int h, plat::TColor colour = 0) {
  bmp.Assign(plat::TBitmap(w, h, plat::TPixelFormat::pf24bit));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      SetRGB(bmp, x, y, plat::GetRValue(colour), plat::GetGValue(colour), plat::GetBValue(colour));
}

inline void MakeRandom24(TicBitmap& bmp, int w, int h, unsigned seed) {
  Make24(bmp, w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) bmp.ScanLine(y)[x] = static_cast<uint8_t>(rng());
}

// A classified palette image with the given table; every pixel index 0.
inline void MakeIndexed(TicBitmap& bmp, int w, int h, plat::TPixelFormat format,
                        const plat::TColorTable& palette) {
  plat::TBitmap pixels(w, h, format);
  pixels.SetColorTable(palette);
  bmp.Assign(pixels);
}

inline plat::TColorTable ColourRamp(int entries) {
  plat::TColorTable table;
  for (int i = 0; i < entries; ++i)
    table.push_back(
        {static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i), 0});
  return table;
}

}  // namespace pictavo::testing
