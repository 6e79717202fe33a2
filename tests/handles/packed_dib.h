#pragma once
// Packed DIBs (info header, colour table, rows) as hosts hand them over in a memory handle.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/bmp_format.h"
#include "platform/graphics/handles.h"

namespace velmora_test {

struct PackedDib {
  std::string name;
  uint32_t header_size = 40;
  int32_t width = 5;
  int32_t height = 3;  // negative: top-down
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  std::vector<uint8_t> table;   // 4 bytes an entry, blue green red reserved
  std::vector<uint8_t> pixels;  // as stored; generated when empty
  int64_t cut = 0;              // bytes dropped from the end

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> dib(header_size, 0);
    plat::bmp::Put32(dib.data(), header_size);
    plat::bmp::Put32(dib.data() + 4, static_cast<uint32_t>(width));
    plat::bmp::Put32(dib.data() + 8, static_cast<uint32_t>(height));
    plat::bmp::Put16(dib.data() + 12, 1);
    plat::bmp::Put16(dib.data() + 14, bits);
    plat::bmp::Put32(dib.data() + 16, compression);
    plat::bmp::Put32(dib.data() + 24, 2835);
    plat::bmp::Put32(dib.data() + 28, 2835);
    plat::bmp::Put32(dib.data() + 32, colours_used);
    dib.insert(dib.end(), table.begin(), table.end());
    dib.insert(dib.end(), pixels.begin(), pixels.end());
    if (pixels.empty()) {
      const int64_t rows = height < 0 ? -int64_t{height} : height;
      const int64_t row_bytes = (int64_t{width} * bits + 31) / 32 * 4;
      for (int64_t i = 0; i < rows * row_bytes; ++i)
        dib.push_back(static_cast<uint8_t>(i * 37 + 11));
    }
    dib.resize(dib.size() - static_cast<size_t>(cut));
    return dib;
  }
};

// A colour table of n distinct colours.
inline std::vector<uint8_t> Table(int n) {
  std::vector<uint8_t> t;
  for (int i = 0; i < n; ++i) {
    t.push_back(static_cast<uint8_t>(i * 13));
    t.push_back(static_cast<uint8_t>(255 - i * 5));
    t.push_back(static_cast<uint8_t>(i * 71));
    t.push_back(0);
  }
  return t;
}

// A fixture of bits per pixel and a full colour table, changed by tweak.
inline PackedDib Dib(std::string name, uint16_t bits, void (*tweak)(PackedDib&) = nullptr) {
  PackedDib dib;
  dib.name = std::move(name);
  dib.bits = bits;
  if (bits <= 8) dib.table = Table(1 << bits);
  if (tweak) tweak(dib);
  return dib;
}

inline std::vector<PackedDib> PackedDibFixtures() {
  return {
      Dib("1 bit", 1, [](PackedDib& d) { d.width = 13; }),
      Dib("1 bit white first", 1,
          [](PackedDib& d) {
            d.width = 13;
            d.table = {255, 255, 255, 0, 0, 0, 0, 0};
          }),
      Dib("4 bits", 4),
      Dib("8 bits", 8),
      Dib("24 bits", 24),
      Dib("24 bits top-down", 24, [](PackedDib& d) { d.height = -3; }),
      Dib("8 bits, 3 colours used", 8,
          [](PackedDib& d) {
            d.colours_used = 3;
            d.table = Table(3);
            d.pixels = {0, 1, 2, 1, 0, 0, 0, 0, 2, 2, 1, 0, 1, 0, 0, 0, 1, 0, 2, 2, 0, 0, 0, 0};
          }),
      Dib("V4 header", 24, [](PackedDib& d) { d.header_size = 108; }),
      Dib("V5 header", 24, [](PackedDib& d) { d.header_size = 124; }),
      // Bottom row: runs of index 5 and 7; top row: a literal run of three, one 9, end of bitmap.
      Dib("RLE8", 8,
          [](PackedDib& d) {
            d.width = 4;
            d.height = 2;
            d.compression = 1;
            d.pixels = {2, 5, 2, 7, 0, 0, 0, 3, 1, 2, 3, 0, 1, 9, 0, 1};
          }),
      Dib("16 bits", 16),
      Dib("32 bits", 32),
  };
}

inline plat::THandle MemoryHandleOf(const std::vector<uint8_t>& bytes) {
  const plat::THandle handle = plat::NewMemoryHandle(static_cast<int64_t>(bytes.size()));
  *plat::MemoryOfHandle(handle) = bytes;
  return handle;
}

}  // namespace velmora_test
