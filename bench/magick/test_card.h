#pragma once
// What the benchmarks measured beside ImageMagick share: the photo-like test card copied into an
// ImageMagick image limited to one thread.
#include <Magick++.h>

#include <cstdint>
#include <vector>

#include "bench/test_card_pixels.h"

namespace velmora_bench {

// Kept for the whole run, as the benchmarks copy it in every iteration.
inline Magick::Image* NewMagickImage(const std::vector<uint8_t>& pixels, int width, int height) {
  Magick::InitializeMagick(nullptr);
  MagickCore::SetMagickResourceLimit(MagickCore::ThreadResource, 1);
  return new Magick::Image(width, height, "BGR", Magick::CharPixel, pixels.data());
}

}  // namespace velmora_bench
