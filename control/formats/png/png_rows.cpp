#include "control/formats/png/png_rows.h"

#include <algorithm>

namespace pictavo {

bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* previous, int64_t count, int bpp) {
  switch (type) {
    case 0:
      break;
    case 1:
      for (int64_t i = bpp; i < count; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      break;
    case 2:
      for (int64_t i = 0; i < count; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      break;
    // The first pixel has no left neighbour; splitting it off keeps the main loops free of
    // that test (they dominate decoding time).
    case 3: {
      int64_t first = std::min<int64_t>(bpp, count);
      for (int64_t i = 0; i < first; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (previous[i] >> 1));
      for (int64_t i = first; i < count; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + previous[i]) >> 1));
      break;
    }
    case 4: {
      int64_t first = std::min<int64_t>(bpp, count);
      for (int64_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      for (int64_t i = first; i < count; ++i)
        row[i] = static_cast<uint8_t>(row[i] +
                                      PaethPredictor(row[i - bpp], previous[i], previous[i - bpp]));
      break;
    }
    default:
      return false;
  }
  return true;
}

void ApplyFilter(uint8_t type, const uint8_t* raw, const uint8_t* previous, uint8_t* out,
                 int64_t count, int bpp) {
  for (int64_t i = 0; i < count; ++i) {
    uint8_t left = i >= bpp ? raw[i - bpp] : 0;
    uint8_t upper_left = i >= bpp ? previous[i - bpp] : 0;
    uint8_t prediction = 0;
    switch (type) {
      case 1:
        prediction = left;
        break;
      case 2:
        prediction = previous[i];
        break;
      case 3:
        prediction = static_cast<uint8_t>((left + previous[i]) >> 1);
        break;
      case 4:
        prediction = PaethPredictor(left, previous[i], upper_left);
        break;
      default:
        break;
    }
    out[i] = static_cast<uint8_t>(raw[i] - prediction);
  }
}

}  // namespace pictavo
