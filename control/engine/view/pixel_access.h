#pragma once
// Raw access to one pixel of a stored row: the palette index of 1-, 4- and 8-bit rows, or the
// blue, green, red bytes of a 24-bit row packed as 0x00RRGGBB... in storage order (byte 0 low).
#include <cstdint>

namespace pictavo {

inline uint32_t RawPixel(const uint8_t* row, int x, int bits) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 8:
      return row[x];
    default:
      return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
  }
}

inline void SetRawPixel(uint8_t* row, int x, int bits, uint32_t value) {
  switch (bits) {
    case 1: {
      const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>(value ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
      break;
    }
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | (value << shift));
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    default:
      row[3 * x] = static_cast<uint8_t>(value);
      row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
  }
}

}  // namespace pictavo
