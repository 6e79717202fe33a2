#include "control/engine/raster/convolve.h"

#include <algorithm>
#include <vector>

#include "control/engine/raster/pixels.h"
#include "control/engine/raster/selection.h"

namespace pictavo {

namespace {

bool ValidLevel(int level) {
  return level >= 1 && level <= 10;
}

// Row y of the convolution into out (3 bytes a pixel); pixels outside the selection are skipped.
void ConvolveRow(const TicBitmap& source, const TKernel& kernel, int y, uint8_t* out) {
  const int W = source.Width(), H = source.Height();
  const int firstRow = y == 0 ? 1 : 0, lastRow = y == H - 1 ? 1 : 2;
  for (int x = 0; x < W; ++x, out += 3) {
    if (!IsPixelSelected(source, x, y)) continue;
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

}  // namespace

int Convolve3x3(TicBitmap& bitmap, const TKernel& kernel) {
  if (bitmap.PixelFormat() != plat::TPixelFormat::pf24bit) return rcPixelFormat;
  const int W = bitmap.Width(), H = bitmap.Height();
  // The image is read unchanged throughout: results go to a buffer first.
  std::vector<uint8_t> result(static_cast<size_t>(int64_t{W} * H * 3));
  ForRowBands(H, W, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y)
      ConvolveRow(bitmap, kernel, y, result.data() + 3 * int64_t{y} * W);
  });
  OwnPixels(bitmap);
  ForRowBands(H, W, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < W; ++x)
        if (IsPixelSelected(bitmap, x, y))
          std::copy_n(result.data() + 3 * (int64_t{y} * W + x), 3, row + 3 * int64_t{x});
    }
  });
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
