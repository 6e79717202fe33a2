#pragma once
// Builds BMP files field by field, for the header kinds and encodings a test needs to craft.
#include <cstdint>
#include <vector>

#include "platform/graphics/bmp_format.h"
#include "platform/graphics/color.h"

namespace velmora_test {

struct BmpBuilder {
  int header_size = 40;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  std::vector<uint32_t> masks;  // in the header from V2 on, else right behind it
  plat::TColorTable palette;
  std::vector<uint8_t> pixels;

  std::vector<uint8_t> Build() const {
    const bool core = header_size == 12;
    const size_t entry = core ? 3 : 4;
    const size_t masks_behind = header_size == 40 ? masks.size() * 4 : 0;
    const size_t pixels_at = 14 + header_size + masks_behind + palette.size() * entry;
    std::vector<uint8_t> out(pixels_at, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put(out, 2, 4, pixels_at + pixels.size());
    Put(out, plat::bmp::kPixelsOffsetAt, 4, pixels_at);
    Put(out, plat::bmp::kHeaderSizeAt, 4, header_size);
    if (core) {
      Put(out, 18, 2, width);
      Put(out, 20, 2, height);
      Put(out, 22, 2, 1);
      Put(out, 24, 2, bits);
    } else {
      Put(out, plat::bmp::kWidthAt, 4, static_cast<uint32_t>(width));
      Put(out, plat::bmp::kHeightAt, 4, static_cast<uint32_t>(height));
      Put(out, plat::bmp::kPlanesAt, 2, 1);
      Put(out, plat::bmp::kBitCountAt, 2, bits);
      Put(out, plat::bmp::kCompressionAt, 4, compression);
      Put(out, plat::bmp::kImageSizeAt, 4, pixels.size());
      Put(out, plat::bmp::kColorsUsedAt, 4, colours_used);
    }
    size_t at = 14 + 40;  // inside a V2+ header or right behind an info header: same place
    for (uint32_t m : masks) {
      Put(out, at, 4, m);
      at += 4;
    }
    at = 14 + header_size + masks_behind;
    for (const plat::TRGBQuad& q : palette) {
      out[at] = q.rgbBlue;
      out[at + 1] = q.rgbGreen;
      out[at + 2] = q.rgbRed;
      at += entry;
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }

 private:
  static void Put(std::vector<uint8_t>& b, size_t at, int size, uint64_t v) {
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
};

// A palette of n distinct colours.
inline plat::TColorTable DistinctPalette(int n) {
  plat::TColorTable table;
  for (int i = 0; i < n; ++i)
    table.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(255 - i * 13),
                     static_cast<uint8_t>(i * 91), 0});
  return table;
}

}  // namespace velmora_test
