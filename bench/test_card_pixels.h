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

// The test card's first channel over a grey palette: an 8-bit picture for the palette codecs.
inline plat::TBitmap GreyCardBitmap(int width, int height) {
  const std::vector<uint8_t> card = TestCardPixels(width, height);
  plat::TBitmap grey(width, height, plat::TPixelFormat::pf8bit);
  plat::TColorTable palette(256);
  for (int i = 0; i < 256; ++i) {
    const auto g = static_cast<uint8_t>(i);
    palette[size_t(i)] = {g, g, g, 0};
  }
  grey.SetColorTable(palette);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) grey.ScanLine(y)[x] = card[(size_t(y) * width + x) * 3];
  return grey;
}

}  // namespace velmora_bench
