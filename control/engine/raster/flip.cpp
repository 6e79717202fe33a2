#include "control/engine/raster/flip.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "control/engine/raster/pixels.h"
#include "control/engine/raster/selection.h"

namespace pictavo {

namespace {

void MirrorRows(TicBitmap& bitmap, int bits, size_t bytes) {
  const int W = bitmap.Width();
  std::vector<uint8_t> mirrored(bytes);
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    // Built from zero, so the pad bits of a 1- or 4-bit row end up clear.
    std::fill(mirrored.begin(), mirrored.end(), uint8_t{0});
    for (int x = 0; x < W; ++x) CopyPixel(row, W - 1 - x, mirrored.data(), x, bits);
    std::memcpy(row, mirrored.data(), bytes);
  }
}

void ReverseRows(TicBitmap& bitmap, size_t bytes) {
  std::vector<uint8_t> swap(bytes);
  for (int top = 0, bottom = bitmap.Height() - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = bitmap.ScanLine(top);
    uint8_t* b = bitmap.ScanLine(bottom);
    std::memcpy(swap.data(), a, bytes);
    std::memcpy(a, b, bytes);
    std::memcpy(b, swap.data(), bytes);
  }
}

}  // namespace

int Flip(TicBitmap& bitmap, uint8_t mode) {
  if (IsMovableFormat(bitmap.PixelFormat()) && !bitmap.GetEmpty()) {
    const int bits = plat::BitsPerPixel(bitmap.PixelFormat());
    const auto bytes = static_cast<size_t>(DataBytesPerRow(bitmap.Width(), bits));
    if (mode == fmHoriz) MirrorRows(bitmap, bits, bytes);
    if (mode == fmVert) ReverseRows(bitmap, bytes);
  }
  CancelSelection(bitmap);
  return rcDone;
}

}  // namespace pictavo
