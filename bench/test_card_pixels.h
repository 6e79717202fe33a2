#pragma once
// A photo-like test card (smooth gradients with some texture) as blue-green-red bytes, and the
// same pixels in our bitmap: what every benchmark of a whole photo measures on.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/graphics/bitmap.h"

namespace velmora_bench {

inline std::vector<uint8_t> TestCardPixels(int width, int height) {
  std::vector<uint8_t> p(size_t(width) * height * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      uint8_t* q = p.data() + (size_t(y) * width + x) * 3;
      q[0] = uint8_t(x * 255 / width + (noise >> 28));
      q[1] = uint8_t(y * 255 / height);
      q[2] = uint8_t((x ^ y) & 0xFF);
    }
  return p;
}

inline plat::TBitmap BitmapOf(const std::vector<uint8_t>& pixels, int width, int height) {
  plat::TBitmap bitmap(width, height, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < height; ++y)
    std::copy_n(pixels.data() + size_t(y) * width * 3, width * 3, bitmap.ScanLine(y));
  return bitmap;
}

}  // namespace velmora_bench
