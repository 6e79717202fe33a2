// Resize with each filter and rotate on a 6000 x 4000 image, ours against ImageMagick in the
// same run. ImageMagick is limited to one thread, as our operations use one.
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "control/engine/raster/geometry.h"
#include "control/engine/raster/resample.h"
#include "control/engine/raster/ticbitmap.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// A photo-like test card: smooth gradients with some texture.
const std::vector<uint8_t>& Pixels() {
  static const std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> p(size_t(kWidth) * kHeight * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        noise = noise * 1664525u + 1013904223u;
        uint8_t* q = p.data() + (size_t(y) * kWidth + x) * 3;
        q[0] = uint8_t(x * 255 / kWidth + (noise >> 28));
        q[1] = uint8_t(y * 255 / kHeight);
        q[2] = uint8_t((x ^ y) & 0xFF);
      }
    return p;
  }();
  return pixels;
}

const pictavo::TicBitmap& Ours() {
  static pictavo::TicBitmap* image = [] {
    auto* bmp = new pictavo::TicBitmap;
    plat::TBitmap pixels(kWidth, kHeight, plat::TPixelFormat::pf24bit);
    for (int y = 0; y < kHeight; ++y)
      std::copy_n(Pixels().data() + size_t(y) * kWidth * 3, kWidth * 3, pixels.ScanLine(y));
    bmp->Assign(pixels);
    return bmp;
  }();
  return *image;
}

const Magick::Image& Theirs() {
  static Magick::Image* image = [] {
    Magick::InitializeMagick(nullptr);
    MagickCore::SetMagickResourceLimit(MagickCore::ThreadResource, 1);
    return new Magick::Image(kWidth, kHeight, "BGR", Magick::CharPixel, Pixels().data());
  }();
  return *image;
}

constexpr Magick::FilterTypes kMagickFilters[pictavo::kFilterCount] = {
    Magick::BoxFilter,   Magick::TriangleFilter, Magick::HermiteFilter, Magick::QuadraticFilter,
    Magick::CubicFilter, Magick::LanczosFilter,  Magick::MitchellFilter};

// Down to 1500 x 1000 (the stepwise shrink) and up from there is not measured: shrinking is
// what the workbench does with camera images.
void BM_ResizeOurs(benchmark::State& state) {
  const int filter = static_cast<int>(state.range(0));
  state.SetLabel(std::string(pictavo::FilterByIndex(filter).name));
  for (auto _ : state) {
    pictavo::TicBitmap image(Ours());
    pictavo::Resize(image, 1500, 1000, filter, true);
    benchmark::DoNotOptimize(image.ScanLine(0));
  }
}

void BM_ResizeMagick(benchmark::State& state) {
  const int filter = static_cast<int>(state.range(0));
  state.SetLabel(std::string(pictavo::FilterByIndex(filter).name));
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.filterType(kMagickFilters[filter]);
    image.resize(Magick::Geometry(1500, 1000));
    benchmark::DoNotOptimize(image.columns());
  }
}

void BM_RotateOurs(benchmark::State& state) {
  const float angle = static_cast<float>(state.range(0));
  for (auto _ : state) {
    pictavo::TicBitmap image(Ours());
    pictavo::Rotate(image, true, 0xFFFFFF, angle);
    benchmark::DoNotOptimize(image.ScanLine(0));
  }
}

void BM_RotateMagick(benchmark::State& state) {
  const double angle = static_cast<double>(state.range(0));
  for (auto _ : state) {
    Magick::Image image(Theirs());
    image.backgroundColor(Magick::Color("white"));
    image.rotate(-angle);  // ImageMagick turns clockwise
    benchmark::DoNotOptimize(image.columns());
  }
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

BENCHMARK_MAIN();
