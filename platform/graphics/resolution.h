#pragma once
// The two ways the program turns dots per inch into a bitmap's pixels per metre and back. They
// round differently, and the files and settings of earlier versions hold the results of each,
// so both stay, each written here once.
#include <algorithm>
#include <cstdint>

#include "platform/base/rounding.h"

namespace plat {

// The raster image's whole-number view: (dpi * 10000 + 127) div 254 and
// (ppm * 254 + 5000) div 10000.
inline int32_t PelsPerMetreOfDpi(int dpi) {
  const int64_t pels = (static_cast<int64_t>(dpi) * 10000 + 127) / 254;
  return static_cast<int32_t>(std::clamp<int64_t>(pels, INT32_MIN, INT32_MAX));
}
inline int DpiOfPelsPerMetre(int32_t pels) {
  return static_cast<int>((static_cast<int64_t>(pels) * 254 + 5000) / 10000);
}

// The JPEG and PCX codecs' view: a factor of 39.37007874, halves rounded to even.
inline constexpr double kPelsPerMetrePerDpi = 39.37007874;
inline int64_t PelsPerMetreByFactor(double dpi) {
  return RoundHalfEven(dpi * kPelsPerMetrePerDpi);
}
inline int64_t DpiByFactor(double pels_per_metre) {
  return RoundHalfEven(pels_per_metre / kPelsPerMetrePerDpi);
}

}  // namespace plat
