// Saving a 12-megapixel 256-colour picture as a GIF file: our writer beside giflib's, from the
// same indices and palette, each to a file on disk made to survive a
// power loss as our saving does.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdint>
#include <vector>

#include "bench/scratch_file.h"
#include "bench/test_card_pixels.h"
#include "control/formats/gif/gif_image.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

void BM_GifEncode_Ours(benchmark::State& state) {
  const plat::TBitmap grey = velmora_bench::GreyCardBitmap(kWidth, kHeight);
  velmora_bench::TScratchFile file("ours", ".gif");
  for (auto _ : state) {
    pictavo::TGIFImage image;
    image.AddFrame(static_cast<const plat::TGraphic&>(grey));
    image.SaveToFile(file.path);
  }
  state.counters["file_bytes"] = file.Bytes();
}

void BM_GifEncode_Giflib(benchmark::State& state) {
  const plat::TBitmap grey = velmora_bench::GreyCardBitmap(kWidth, kHeight);
  GifColorType colours[256];
  for (int i = 0; i < 256; ++i)
    colours[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i),
                  static_cast<GifByteType>(i)};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  velmora_bench::TScratchFile file("giflib", ".gif");
  for (auto _ : state) {
    velmora_bench::SaveDurably(file.path, [&](const std::string& path) {
      int error = 0;
      GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
      EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
      EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
      for (int y = 0; y < kHeight; ++y)
        EGifPutLine(gif, const_cast<GifPixelType*>(grey.ScanLine(y)), kWidth);
      EGifCloseFile(gif, &error);
    });
  }
  GifFreeMapObject(map);
  state.counters["file_bytes"] = file.Bytes();
}

}  // namespace

BENCHMARK(BM_GifEncode_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GifEncode_Giflib)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
