// Decoding a 12-megapixel one-frame GIF of a photo-like picture: our reader beside giflib's
// DGifSlurp, both from the same bytes in memory, the frame's indices checked equal first.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/test_card_pixels.h"
#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_image.h"
#include "platform/base/streams.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// The test card's first channel over a grey palette, written by our encoder.
const std::vector<uint8_t>& GifFile() {
  static const std::vector<uint8_t> bytes = [] {
    const plat::TBitmap grey = velmora_bench::GreyCardBitmap(kWidth, kHeight);
    pictavo::TGIFImage image;
    image.AddFrame(static_cast<const plat::TGraphic&>(grey));
    plat::TMemoryStream out;
    image.SaveToStream(out);
    return out.Bytes();
  }();
  return bytes;
}

struct TCursor {
  const std::vector<uint8_t>* bytes;
  size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* cursor = static_cast<TCursor*>(gif->UserData);
  const size_t n = std::min(size_t(count), cursor->bytes->size() - cursor->at);
  std::memcpy(out, cursor->bytes->data() + cursor->at, n);
  cursor->at += n;
  return static_cast<int>(n);
}

// giflib's frame indices, or nothing when it could not read the file.
std::vector<uint8_t> GiflibIndices() {
  TCursor cursor{&GifFile()};
  int error = 0;
  GifFileType* gif = DGifOpen(&cursor, ReadFromMemory, &error);
  std::vector<uint8_t> indices;
  if (gif != nullptr && DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
    const SavedImage& frame = gif->SavedImages[0];
    indices.assign(frame.RasterBits,
                   frame.RasterBits + size_t(frame.ImageDesc.Width) * frame.ImageDesc.Height);
  }
  if (gif != nullptr) DGifCloseFile(gif, &error);
  return indices;
}

std::vector<uint8_t> OurIndices() {
  pictavo::TGIFImage image;
  plat::TReadOnlyMemoryStream in(GifFile().data(), static_cast<int64_t>(GifFile().size()));
  image.LoadFromStream(in);
  return image.Frames().FrameAt(0)->PixelData();
}

void BM_GifDecode_Ours(benchmark::State& state) {
  if (OurIndices() != GiflibIndices()) state.SkipWithError("indices differ");
  for (auto _ : state) {
    pictavo::TGIFImage image;
    plat::TReadOnlyMemoryStream in(GifFile().data(), static_cast<int64_t>(GifFile().size()));
    image.LoadFromStream(in);
    benchmark::DoNotOptimize(image.Frames().FrameAt(0)->PixelData().data());
  }
  state.counters["file_bytes"] = static_cast<double>(GifFile().size());
}

void BM_GifDecode_Giflib(benchmark::State& state) {
  for (auto _ : state) {
    TCursor cursor{&GifFile()};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, ReadFromMemory, &error);
    DGifSlurp(gif);
    benchmark::DoNotOptimize(gif->SavedImages);
    DGifCloseFile(gif, &error);
  }
  state.counters["file_bytes"] = static_cast<double>(GifFile().size());
}

}  // namespace

BENCHMARK(BM_GifDecode_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GifDecode_Giflib)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
