// ReduceBitmapColors on a 4000 x 3000 photo-like image against ImageMagick in the same run:
// Floyd-Steinberg onto the web-safe cube (`-dither FloydSteinberg -remap netscape:`) and an
// octree palette of 256 colours (`-colors 256`, which also dithers, ImageMagick's default).
// ImageMagick is limited to one thread, as our reduction uses one.
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "control/formats/gif/gif_reduce.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// Smooth gradients with sensor-like noise: many distinct colours, as in a photograph.
const std::vector<uint8_t>& Pixels() {
  static const std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> p(size_t(kWidth) * kHeight * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        noise = noise * 1664525u + 1013904223u;
        uint8_t* q = p.data() + (size_t(y) * kWidth + x) * 3;
        q[0] = uint8_t(x * 200 / kWidth + (noise >> 28));
        q[1] = uint8_t(y * 230 / kHeight + ((noise >> 20) & 15));
        q[2] = uint8_t(((x + y) / 31) * 9 + ((noise >> 12) & 7));
      }
    return p;
  }();
  return pixels;
}

const plat::TBitmap& Ours() {
  static const plat::TBitmap* bitmap = [] {
    auto* b = new plat::TBitmap(kWidth, kHeight, plat::TPixelFormat::pf24bit);
    for (int y = 0; y < kHeight; ++y)
      std::copy_n(Pixels().data() + size_t(y) * kWidth * 3, kWidth * 3, b->ScanLine(y));
    return b;
  }();
  return *bitmap;
}

const Magick::Image& Theirs() {
  static Magick::Image* image = [] {
    Magick::InitializeMagick(nullptr);
    MagickCore::SetMagickResourceLimit(MagickCore::ThreadResource, 1);
    return new Magick::Image(kWidth, kHeight, "BGR", Magick::CharPixel, Pixels().data());
  }();
  return *image;
}

void Reduce(benchmark::State& state, pictavo::TReductionMethod method,
            pictavo::TDitherMethod dither) {
  for (auto _ : state) {
    plat::TBitmap source(Ours());
    const auto result = pictavo::ReduceBitmapColors(source, method, dither, {}, 8);
    benchmark::DoNotOptimize(result->ScanLine(0));
  }
}

void BM_WebSafeFloydSteinbergOurs(benchmark::State& state) {
  Reduce(state, pictavo::TReductionMethod::crWebSafe216, pictavo::TDitherMethod::dtFloydSteinberg);
}

void BM_WebSafeFloydSteinbergMagick(benchmark::State& state) {
  const Magick::Image cube("netscape:");
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.quantizeDitherMethod(Magick::FloydSteinbergDitherMethod);
    image.map(cube, true);
    benchmark::DoNotOptimize(image.columns());
  }
}

void BM_Quantise256Ours(benchmark::State& state) {
  Reduce(state, pictavo::TReductionMethod::crQuantise, pictavo::TDitherMethod::dtNearestColour);
}

void BM_Quantise256Magick(benchmark::State& state) {
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.quantizeColors(256);
    image.quantize();
    benchmark::DoNotOptimize(image.columns());
  }
}

}  // namespace

BENCHMARK(BM_WebSafeFloydSteinbergOurs)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WebSafeFloydSteinbergMagick)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Quantise256Ours)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Quantise256Magick)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
