#include "control/formats/png/png_rows.h"

#include <algorithm>

namespace pictavo {

namespace {

// The Average and Paeth loops with the pixel size known at compile time: the left neighbour is
// then a fixed distance back and the loops unroll over a pixel's bytes.
template <int Bpp>
void UnfilterAverage(uint8_t* row, const uint8_t* previous, int64_t count) {
  for (int64_t i = Bpp; i < count; ++i)
    row[i] = static_cast<uint8_t>(row[i] + ((row[i - Bpp] + previous[i]) >> 1));
}

template <int Bpp>
void UnfilterPaeth(uint8_t* row, const uint8_t* previous, int64_t count) {
  for (int64_t i = Bpp; i < count; ++i)
    row[i] =
        static_cast<uint8_t>(row[i] + PaethPredictor(row[i - Bpp], previous[i], previous[i - Bpp]));
}

void UnfilterAverage(uint8_t* row, const uint8_t* previous, int64_t count, int bpp) {
  switch (bpp) {
    case 1:
      return UnfilterAverage<1>(row, previous, count);
    case 2:
      return UnfilterAverage<2>(row, previous, count);
    case 3:
      return UnfilterAverage<3>(row, previous, count);
    case 4:
      return UnfilterAverage<4>(row, previous, count);
    case 6:
      return UnfilterAverage<6>(row, previous, count);
    default:
      return UnfilterAverage<8>(row, previous, count);
  }
}

void UnfilterPaeth(uint8_t* row, const uint8_t* previous, int64_t count, int bpp) {
  switch (bpp) {
    case 1:
      return UnfilterPaeth<1>(row, previous, count);
    case 2:
      return UnfilterPaeth<2>(row, previous, count);
    case 3:
      return UnfilterPaeth<3>(row, previous, count);
    case 4:
      return UnfilterPaeth<4>(row, previous, count);
    case 6:
      return UnfilterPaeth<6>(row, previous, count);
    default:
      return UnfilterPaeth<8>(row, previous, count);
  }
}

}  // namespace

bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* previous, int64_t count, int bpp) {
  // The first pixel has no left neighbour: Average and Paeth then reduce to half of above and
  // to above. Splitting it off keeps the main loops free of that test.
  const int64_t first = std::min<int64_t>(bpp, count);
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
      for (int64_t i = 0; i < first; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (previous[i] >> 1));
      UnfilterAverage(row, previous, count, bpp);
      break;
    case 4:
      for (int64_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      UnfilterPaeth(row, previous, count, bpp);
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
