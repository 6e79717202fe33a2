// Resize with each filter, rotate, sharpen and the 256-colour conversion on a 6000 x 4000 image,
// ours against ImageMagick in the same run. ImageMagick is limited to one thread (it stayed on one
// here even when allowed more); ours use the worker pool, so the driver runs this program on one
// worker and on all of them.
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/magick/test_card.h"
#include "control/engine/raster/colorformat.h"
#include "control/engine/raster/convolve.h"
#include "control/engine/raster/geometry.h"
#include "control/engine/raster/resample.h"
#include "control/engine/raster/ticbitmap.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

const std::vector<uint8_t>& Pixels() {
  static const std::vector<uint8_t> pixels = velmora_bench::TestCardPixels(kWidth, kHeight);
  return pixels;
}

const pictavo::TicBitmap& Ours() {
  static pictavo::TicBitmap* image = [] {
    auto* bmp = new pictavo::TicBitmap;
    bmp->Assign(velmora_bench::BitmapOf(Pixels(), kWidth, kHeight));
    return bmp;
  }();
  return *image;
}

const Magick::Image& Theirs() {
  static Magick::Image* image = velmora_bench::NewMagickImage(Pixels(), kWidth, kHeight);
  return *image;
}

// Both source images are built before the first timed iteration of any case, so no case pays
// for making them.
void BuildSources() {
  benchmark::DoNotOptimize(Ours().ScanLine(0));
  benchmark::DoNotOptimize(Theirs().columns());
}

constexpr Magick::FilterTypes kMagickFilters[pictavo::kFilterCount] = {
    Magick::BoxFilter,   Magick::TriangleFilter, Magick::HermiteFilter, Magick::QuadraticFilter,
    Magick::CubicFilter, Magick::LanczosFilter,  Magick::MitchellFilter};

// Down to 1500 x 1000 (the stepwise shrink) and up from there is not measured: shrinking is
// what the workbench does with camera images.
void BM_ResizeOurs(benchmark::State& state) {
  const int filter = static_cast<int>(state.range(0));
  state.SetLabel(std::string(pictavo::FilterByIndex(filter).name));
  BuildSources();
  for (auto _ : state) {
    pictavo::TicBitmap image(Ours());
    pictavo::Resize(image, 1500, 1000, filter, true);
    benchmark::DoNotOptimize(image.ScanLine(0));
  }
}

void BM_ResizeMagick(benchmark::State& state) {
  const int filter = static_cast<int>(state.range(0));
  state.SetLabel(std::string(pictavo::FilterByIndex(filter).name));
  BuildSources();
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.filterType(kMagickFilters[filter]);
    image.resize(Magick::Geometry(1500, 1000));
    benchmark::DoNotOptimize(image.columns());
  }
}

void BM_RotateOurs(benchmark::State& state) {
  const float angle = static_cast<float>(state.range(0));
  BuildSources();
  for (auto _ : state) {
    pictavo::TicBitmap image(Ours());
    pictavo::Rotate(image, true, 0xFFFFFF, angle);
    benchmark::DoNotOptimize(image.ScanLine(0));
  }
}

void BM_RotateMagick(benchmark::State& state) {
  const double angle = static_cast<double>(state.range(0));
  BuildSources();
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.backgroundColor(Magick::Color("white"));
    image.rotate(-angle);  // ImageMagick turns clockwise
    benchmark::DoNotOptimize(image.columns());
  }
}

// Our sharpen at level 3 beside ImageMagick's convolution with the same 3 x 3 kernel, normalised.
void BM_SharpenOurs(benchmark::State& state) {
  BuildSources();
  for (auto _ : state) {
    pictavo::TicBitmap image(Ours());
    pictavo::Sharpen(image, 3);
    benchmark::DoNotOptimize(image.ScanLine(0));
  }
}

void BM_SharpenMagick(benchmark::State& state) {
  const pictavo::TKernel k = pictavo::SharpenKernel(3);
  double sum = 0, kernel[9];
  for (int i = 0; i < 9; ++i) sum += k[i / 3][i % 3];
  for (int i = 0; i < 9; ++i) kernel[i] = k[i / 3][i % 3] / sum;
  BuildSources();
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.convolve(3, kernel);
    benchmark::DoNotOptimize(image.columns());
  }
}

// The control's own 256-colour conversion (octree palette, nearest colour) beside ImageMagick's
// 256-colour quantisation without dithering, the same work.
void BM_Quantise256Ours(benchmark::State& state) {
  BuildSources();
  for (auto _ : state) {
    pictavo::TicBitmap image(Ours());
    pictavo::ConvertColorFormat(image, pictavo::cf256Color, 2, 127);
    benchmark::DoNotOptimize(image.ScanLine(0));
  }
}

void BM_Quantise256Magick(benchmark::State& state) {
  BuildSources();
  velmora_bench::TimeMagickQuantise256(state, Theirs());
}

void Filters(benchmark::internal::Benchmark* b) {
  for (int f = 0; f < pictavo::kFilterCount; ++f) b->Arg(f);
  b->Unit(benchmark::kMillisecond)->Iterations(2);
}

void Angles(benchmark::internal::Benchmark* b) {
  b->Arg(90)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(2);
}

}  // namespace

BENCHMARK(BM_ResizeOurs)->Apply(Filters);
BENCHMARK(BM_ResizeMagick)->Apply(Filters);
BENCHMARK(BM_RotateOurs)->Apply(Angles);
BENCHMARK(BM_RotateMagick)->Apply(Angles);
BENCHMARK(BM_SharpenOurs)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SharpenMagick)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Quantise256Ours)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Quantise256Magick)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
