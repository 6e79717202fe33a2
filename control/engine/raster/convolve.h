#pragma once
// 3 x 3 convolution of 24-bit images, inside the selection when it is used, and the sharpen
// and blur kernels built on it.
#include <array>
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// Rows: previous, current, next image row; columns: previous, current, next pixel.
using TKernel = std::array<std::array<int32_t, 3>, 3>;

// Each channel becomes the weighted sum of its neighbourhood divided (truncating) by the sum of
// the weights used; at the image's edges the entries outside are left out of both. Returns
// rcPixelFormat unless the image is 24-bit.
int Convolve3x3(TicBitmap& bitmap, const TKernel& kernel);

// Level 1..10 (else rcArgument): -1 on the edge neighbours, 15 - Level in the centre.
TKernel SharpenKernel(int level);
// Level 1..10 (else rcArgument): Level div 8 + 1 everywhere, 21 - 2 Level in the centre.
TKernel BlurKernel(int level);
int Sharpen(TicBitmap& bitmap, int level);
int Blur(TicBitmap& bitmap, int level);

}  // namespace pictavo
