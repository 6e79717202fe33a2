#pragma once
// Reading and writing one pixel's stored value (a bit, a nibble, a byte or three bytes) in the
// rows of a platform bitmap, for the operations that move pixels without looking at colours.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/base/worker_pool.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"

namespace pictavo {

using plat::IndexAt;
using plat::SetIndexAt;

// Copies the stored value of source pixel sx to destination pixel dx; both rows have `bits`
// bits a pixel (1, 4, 8 or 24).
inline void CopyPixel(const uint8_t* src, int sx, uint8_t* dst, int dx, int bits) {
  if (bits == 24)
    std::memcpy(dst + 3 * static_cast<int64_t>(dx), src + 3 * static_cast<int64_t>(sx), 3);
  else
    SetIndexAt(dst, dx, bits, IndexAt(src, sx, bits));
}

// True for the formats whose pixels the raster operations move: 1, 4, 8 and 24 bits.
inline bool IsMovableFormat(plat::TPixelFormat f) {
  return f == plat::TPixelFormat::pf1bit || f == plat::TPixelFormat::pf4bit ||
         f == plat::TPixelFormat::pf8bit || f == plat::TPixelFormat::pf24bit;
}

// The stored value a colour gets in a bitmap: the nearest palette index for palette images,
// the blue, green and red bytes otherwise.
struct PixelValue {
  uint8_t index = 0;
  uint8_t blue = 0, green = 0, red = 0;
};

inline PixelValue FillValueOf(const plat::TBitmap& bitmap, plat::TColor rgb) {
  const uint8_t r = plat::GetRValue(rgb), g = plat::GetGValue(rgb), b = plat::GetBValue(rgb);
  if (plat::PaletteSizeOf(bitmap.PixelFormat()) == 0) return {0, b, g, r};
  return {static_cast<uint8_t>(plat::NearestPaletteIndex(bitmap.Palette(), r, g, b)), b, g, r};
}

// Writes a value into pixel x of a row of bitmap (1, 4, 8 or 24 bits; other formats untouched).
inline void WritePixelValue(const plat::TBitmap& bitmap, uint8_t* row, int x, const PixelValue& v) {
  const int bits = plat::BitsPerPixel(bitmap.PixelFormat());
  if (bitmap.PixelFormat() == plat::TPixelFormat::pf24bit) {
    uint8_t* p = row + 3 * int64_t{x};
    p[0] = v.blue;
    p[1] = v.green;
    p[2] = v.red;
  } else if (bits <= 8) {
    SetIndexAt(row, x, bits, v.index);
  }
}

// Gives bitmap (a TicBitmap, say) new pixels and palette and nothing else: its own fields stay.
inline void ReplacePixels(plat::TBitmap& bitmap, const plat::TBitmap& pixels) {
  bitmap.plat::TBitmap::operator=(pixels);
}

// Bytes of pixel data in one row, without the padding to 4 bytes.
inline int64_t DataBytesPerRow(int width, int bits) {
  return (int64_t{width} * bits + 7) / 8;
}

// A new width x height bitmap for an operation that writes every pixel itself: its rows hold
// whatever the allocator left there (only the padding after each row's pixels is 0), which saves
// clearing a block that is overwritten at once.
inline plat::TBitmap UnfilledBitmap(int width, int height, plat::TPixelFormat format) {
  plat::TBitmap bitmap;
  bitmap.SetPixelFormat(format);
  bitmap.SetSizeForDecoding(width, height);
  return bitmap;
}

// Gives bitmap its own copy of pixels it still shares with another bitmap.
inline void OwnPixels(plat::TBitmap& bitmap) {
  if (!bitmap.GetEmpty()) bitmap.ScanLine(0);
}

// Runs body(y0, y1) over bands of rows [0, rows) on the worker pool. Every row's result depends
// only on read-only input, so the pixels come out the same on any number of threads. A bitmap
// the bands write must own its pixels before the call (OwnPixels), so no two threads detach it
// at once.
template <typename Body>
void ForRowBands(int rows, int width, Body&& body) {
  // About 64k pixels a band at the least: below that, handing out costs more than it saves.
  const int64_t minRows = std::max<int64_t>(1, 65536 / std::max(width, 1));
  plat::ParallelFor(rows, minRows, [&](int64_t y0, int64_t y1) {
    body(static_cast<int>(y0), static_cast<int>(y1));
  });
}

}  // namespace pictavo
