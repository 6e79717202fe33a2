#pragma once
// The palette index of one pixel in a packed row of 1, 4 or 8 bits a pixel (most significant bit
// or high nibble first), the one place that knows how indices are packed.
#include <cstdint>

namespace plat {

inline uint8_t IndexAt(const uint8_t* row, int64_t x, int bits) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
      return row[x];
  }
}

// Only the low bit (1 bit) or low nibble (4 bits) of index is stored; the neighbours keep theirs.
inline void SetIndexAt(uint8_t* row, int64_t x, int bits, uint8_t index) {
  switch (bits) {
    case 1: {
      const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = (index & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
      break;
    }
    case 4:
      row[x >> 1] =
          (x & 1) ? ((row[x >> 1] & 0xF0) | (index & 0x0F)) : ((row[x >> 1] & 0x0F) | (index << 4));
      break;
    default:
      row[x] = index;
  }
}

}  // namespace plat
