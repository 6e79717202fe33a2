#pragma once
// Resampling with the filter kernels of the resize and the anti-aliased drawing.
#include <string_view>
#include <utility>
#include <vector>

#include "platform/graphics/bitmap.h"

namespace pictavo {

struct TFilter {
  std::string_view name;
  float (*kernel)(float x);
  float support;
};

constexpr int kFilterCount = 7;
// The kernel table by FilterType 0..6: Box, Triangle, Hermite, Bell, B-Spline, Lanczos3,
// Mitchell. An index outside the table gives Triangle, the kernel the resize uses by default.
const TFilter& FilterByIndex(int index);

// Resamples source into destination, which keeps its size and becomes 24-bit. The kernel is
// evaluated at the unscaled distance in both directions. Raises "Source bitmap too small" when
// the source has no pixels.
void FilteredStretch(const plat::TBitmap& source, plat::TBitmap& destination,
                     const TFilter& filter);

// Result becomes source at newWidth x newHeight (both at least 1): with the filter kernels when
// filtered (shrinking stepwise by 0.6 when the aspect ratio is kept), else by the plain stretch
// (area average for 24-bit, nearest pixel for palette images, keeping the format).
void Stretch(int newWidth, int newHeight, plat::TBitmap& result, int filterIndex, bool filtered,
             const plat::TBitmap& source);

// The sizes the stepwise shrink of W x H to newWidth x newHeight passes through: each step 0.6
// of the one before (rounded halves to even) until the target is reached; the last is the target.
std::vector<std::pair<int, int>> ShrinkSteps(int W, int H, int newWidth, int newHeight);

}  // namespace pictavo
