// ReduceBitmapColors on a 4000 x 3000 photo-like test card against ImageMagick in the same run:
// Floyd-Steinberg onto the web-safe cube (`-dither FloydSteinberg -remap netscape:`) and an
// octree palette of 256 colours (`-colors 256`, which also dithers, ImageMagick's default).
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/magick/test_card.h"
#include "control/formats/gif/gif_reduce.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

const std::vector<uint8_t>& Pixels() {
  static const std::vector<uint8_t> pixels = velmora_bench::TestCardPixels(kWidth, kHeight);
  return pixels;
}

const plat::TBitmap& Ours() {
  static const plat::TBitmap bitmap = velmora_bench::BitmapOf(Pixels(), kWidth, kHeight);
  return bitmap;
}

const Magick::Image& Theirs() {
  static Magick::Image* image = velmora_bench::NewMagickImage(Pixels(), kWidth, kHeight);
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
