// ReduceBitmapColors on a 4000 x 3000 photo-like test card against ImageMagick in the same run:
// Floyd-Steinberg onto the web-safe cube (`-dither FloydSteinberg -remap netscape:`) and an
// octree palette of 256 colours without dithering (`-colors 256 +dither`), as the GIF writer
// reduces. The control's own 256-colour conversion is timed in raster/raster_bench.
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

// Both source images are built before the first timed iteration of any case.
void BuildSources() {
  benchmark::DoNotOptimize(Ours().ScanLine(0));
  benchmark::DoNotOptimize(Theirs().columns());
}

void Reduce(benchmark::State& state, pictavo::TReductionMethod method,
            pictavo::TDitherMethod dither) {
  BuildSources();
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
  BuildSources();
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.quantizeDitherMethod(Magick::FloydSteinbergDitherMethod);
    image.map(cube, true);
    benchmark::DoNotOptimize(image.columns());
  }
}

void BM_GifOctree256Ours(benchmark::State& state) {
  Reduce(state, pictavo::TReductionMethod::crQuantise, pictavo::TDitherMethod::dtNearestColour);
}

void BM_GifOctree256Magick(benchmark::State& state) {
  BuildSources();
  velmora_bench::TimeMagickQuantise256(state, Theirs());
}

}  // namespace

BENCHMARK(BM_WebSafeFloydSteinbergOurs)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WebSafeFloydSteinbergMagick)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GifOctree256Ours)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GifOctree256Magick)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
