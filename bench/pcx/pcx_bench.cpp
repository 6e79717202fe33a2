// Saving a 12-megapixel photo as a 24-bit PCX file (three run-length coded planes a row): our
// writer beside ImageMagick's, one thread, each from an image built before timing.
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/magick/test_card.h"
#include "bench/scratch_file.h"
#include "control/formats/pcx/pcx_image.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

void BM_Pcx24Encode_Ours(benchmark::State& state) {
  const plat::TBitmap bitmap =
      velmora_bench::BitmapOf(velmora_bench::TestCardPixels(kWidth, kHeight), kWidth, kHeight);
  velmora_bench::TScratchFile file("ours", ".pcx");
  for (auto _ : state) {
    pictavo::TPCXImage image;
    image.Assign(bitmap);
    image.SaveToFile(file.path);
  }
  state.counters["file_bytes"] = file.Bytes();
}

void BM_Pcx24Encode_Magick(benchmark::State& state) {
  const std::unique_ptr<Magick::Image> image(velmora_bench::NewMagickImage(
      velmora_bench::TestCardPixels(kWidth, kHeight), kWidth, kHeight));
  image->type(Magick::TrueColorType);
  velmora_bench::TScratchFile file("magick", ".pcx");
  for (auto _ : state) {
    velmora_bench::SaveDurably(file.path,
                               [&](const std::string& path) { image->write("pcx:" + path); });
  }
  state.counters["file_bytes"] = file.Bytes();
}

}  // namespace

BENCHMARK(BM_Pcx24Encode_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pcx24Encode_Magick)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
