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

// The stored value of any pixel: the index on 1-, 4- and 8-bit rows, else the pixel's bytes read
// as a little-endian number (24 bits: blue in the low byte).
inline uint32_t RawPixelAt(const uint8_t* row, int64_t x, int bits) {
  if (bits <= 8) return IndexAt(row, x, bits);
  const int bytes = bits / 8;
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | row[x * bytes + i];
  return value;
}

inline void SetRawPixelAt(uint8_t* row, int64_t x, int bits, uint32_t value) {
  if (bits <= 8) {
    SetIndexAt(row, x, bits, static_cast<uint8_t>(value));
    return;
  }
  const int bytes = bits / 8;
  for (int i = 0; i < bytes; ++i) row[x * bytes + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace plat
