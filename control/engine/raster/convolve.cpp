#include "control/engine/raster/convolve.h"

#include <algorithm>

#include "control/engine/raster/pixels.h"
#include "control/engine/raster/selection.h"

namespace pictavo {

namespace {

bool ValidLevel(int level) {
  return level >= 1 && level <= 10;
}

// Row y of the convolution into out (3 bytes a pixel); pixels outside the selection and the
// row's padding keep the source's bytes.
void ConvolveRow(const TicBitmap& source, const TKernel& kernel, int y, uint8_t* out) {
  const int W = source.Width(), H = source.Height();
  const int firstRow = y == 0 ? 1 : 0, lastRow = y == H - 1 ? 1 : 2;
  const uint8_t* in = source.ScanLine(y);
  std::copy(in + 3 * int64_t{W}, in + source.RowBytes(), out + 3 * int64_t{W});
  for (int x = 0; x < W; ++x, out += 3) {
    if (!IsPixelSelected(source, x, y)) {
      std::copy_n(in + 3 * int64_t{x}, 3, out);
      continue;
    }
    const int firstCol = x == 0 ? 1 : 0, lastCol = x == W - 1 ? 1 : 2;
    int64_t sum[3] = {0, 0, 0};
    int64_t weights = 0;
    for (int ky = firstRow; ky <= lastRow; ++ky) {
      const uint8_t* row = source.ScanLine(y + ky - 1);
      for (int kx = firstCol; kx <= lastCol; ++kx) {
        const int32_t weight = kernel[ky][kx];
        const uint8_t* p = row + 3 * (int64_t{x} + kx - 1);
        for (int c = 0; c < 3; ++c) sum[c] += int64_t{weight} * p[c];
        weights += weight;
      }
    }
    for (int c = 0; c < 3; ++c)
      out[c] =
          static_cast<uint8_t>(weights == 0 ? 0 : std::clamp<int64_t>(sum[c] / weights, 0, 255));
  }
}

// A bitmap with the size, format, palette and graphic settings of source and pixels of its own
// (all 0), so the result can be written by the workers while source is read unchanged.
plat::TBitmap NewPixelsLike(const plat::TBitmap& source) {
  plat::TBitmap result = source;
  result.Clear();
  result.SetSize(source.Width(), source.Height());
  return result;
}

}  // namespace

int Convolve3x3(TicBitmap& bitmap, const TKernel& kernel) {
  if (bitmap.PixelFormat() != plat::TPixelFormat::pf24bit) return rcPixelFormat;
  const TicBitmap& source = bitmap;
  plat::TBitmap result = NewPixelsLike(source);
  ForRowBands(source.Height(), source.Width(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) ConvolveRow(source, kernel, y, result.ScanLine(y));
  });
  ReplacePixels(bitmap, result);
  return rcDone;
}

TKernel SharpenKernel(int level) {
  const int32_t centre = 15 - level;
  return {{{0, -1, 0}, {-1, centre, -1}, {0, -1, 0}}};
}

TKernel BlurKernel(int level) {
  const int32_t e = level / 8 + 1, centre = 21 - 2 * level;
  return {{{e, e, e}, {e, centre, e}, {e, e, e}}};
}

int Sharpen(TicBitmap& bitmap, int level) {
  if (!ValidLevel(level)) return rcArgument;
  return Convolve3x3(bitmap, SharpenKernel(level));
}

int Blur(TicBitmap& bitmap, int level) {
  if (!ValidLevel(level)) return rcArgument;
  return Convolve3x3(bitmap, BlurKernel(level));
}

}  // namespace pictavo
