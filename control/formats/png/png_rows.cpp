#include "control/formats/png/png_rows.h"

#include <algorithm>
#include <type_traits>

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

// Calls loop with the pixel size as a compile-time constant (1, 2, 3, 4, 6 or 8 bytes).
template <class Loop>
void WithPixelSize(int bpp, Loop loop) {
  switch (bpp) {
    case 1:
      return loop(std::integral_constant<int, 1>{});
    case 2:
      return loop(std::integral_constant<int, 2>{});
    case 3:
      return loop(std::integral_constant<int, 3>{});
    case 4:
      return loop(std::integral_constant<int, 4>{});
    case 6:
      return loop(std::integral_constant<int, 6>{});
    default:
      return loop(std::integral_constant<int, 8>{});
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
      WithPixelSize(bpp, [&](auto size) { UnfilterAverage<size()>(row, previous, count); });
      break;
    case 4:
      for (int64_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      WithPixelSize(bpp, [&](auto size) { UnfilterPaeth<size()>(row, previous, count); });
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
