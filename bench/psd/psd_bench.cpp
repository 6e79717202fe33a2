// Opening a 12-megapixel 24-bit PSD file that ImageMagick wrote (run-length coded channels):
// our reader beside ImageMagick's, one thread, both from the same bytes in memory, the pixels
// checked equal first.
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/magick/test_card.h"
#include "control/formats/tiff/psd_image.h"
#include "platform/base/streams.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

const Magick::Blob& PsdFile() {
  static const Magick::Blob* blob = [] {
    const std::unique_ptr<Magick::Image> image(velmora_bench::NewMagickImage(
        velmora_bench::TestCardPixels(kWidth, kHeight), kWidth, kHeight));
    image->type(Magick::TrueColorType);
    image->compressType(Magick::RLECompression);
    auto* bytes = new Magick::Blob;
    image->write(bytes, "PSD");
    return bytes;
  }();
  return *blob;
}

plat::TBitmap OurPixels() {
  const Magick::Blob& file = PsdFile();
  plat::TReadOnlyMemoryStream in(file.data(), static_cast<int64_t>(file.length()));
  pictavo::TPSDImage psd;
  psd.LoadFromStream(in);
  plat::TBitmap bmp;
  bmp.Assign(psd);
  return bmp;
}

// Times are only worth comparing when both sides read the same pixels.
bool SamePixels() {
  const plat::TBitmap ours = OurPixels();
  Magick::Image theirs(PsdFile());
  if (ours.Width() != kWidth || ours.Height() != kHeight || theirs.columns() != kWidth ||
      theirs.rows() != kHeight)
    return false;
  std::vector<uint8_t> bgr(size_t{kWidth} * kHeight * 3);
  theirs.write(0, 0, kWidth, kHeight, "BGR", Magick::CharPixel, bgr.data());
  for (int y = 0; y < kHeight; ++y)
    if (!std::equal(ours.ScanLine(y), ours.ScanLine(y) + kWidth * 3,
                    bgr.data() + size_t(y) * kWidth * 3))
      return false;
  return true;
}

void BM_PsdDecode_Ours(benchmark::State& state) {
  if (!SamePixels()) state.SkipWithError("pixels differ");
  for (auto _ : state) benchmark::DoNotOptimize(OurPixels().ScanLine(0));
  state.counters["file_bytes"] = static_cast<double>(PsdFile().length());
}

void BM_PsdDecode_Magick(benchmark::State& state) {
  const Magick::Blob& file = PsdFile();
  for (auto _ : state) {
    Magick::Image image(file);
    benchmark::DoNotOptimize(image.columns());
  }
  state.counters["file_bytes"] = static_cast<double>(file.length());
}

}  // namespace

BENCHMARK(BM_PsdDecode_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PsdDecode_Magick)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
