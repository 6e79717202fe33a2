#pragma once
// What the benchmarks measured beside ImageMagick share: the photo-like test card copied into an
// ImageMagick image limited to one thread.
#include <Magick++.h>
#include <benchmark/benchmark.h>

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

// Times ImageMagick's 256-colour octree palette without dithering on a copy of source.
inline void TimeMagickQuantise256(benchmark::State& state, const Magick::Image& source) {
  for (auto _ : state) {
    Magick::Image image(source);
    image.quantizeColors(256);
    image.quantizeDither(false);
    image.quantize();
    benchmark::DoNotOptimize(image.columns());
  }
}

}  // namespace velmora_bench
