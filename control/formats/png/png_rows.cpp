#include "control/formats/png/png_rows.h"

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
    case 3:
      for (int64_t i = 0; i < count; ++i) {
        int left = i >= bpp ? row[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + ((left + previous[i]) >> 1));
      }
      break;
    case 4:
      for (int64_t i = 0; i < count; ++i) {
        uint8_t left = i >= bpp ? row[i - bpp] : 0;
        uint8_t upper_left = i >= bpp ? previous[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(left, previous[i], upper_left));
      }
      break;
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
