// Saving a 12-megapixel photo as a 24-bit BMP file: our writer beside a plain one that puts the
// two headers and the rows out through stdio, as a program without an imaging library would.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/scratch_file.h"
#include "bench/test_card_pixels.h"
#include "control/formats/bmp/bmpimage.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

void BM_Bmp24Encode_Ours(benchmark::State& state) {
  const plat::TBitmap bitmap =
      velmora_bench::BitmapOf(velmora_bench::TestCardPixels(kWidth, kHeight), kWidth, kHeight);
  velmora_bench::TScratchFile file("ours", ".bmp");
  for (auto _ : state) {
    pictavo::TBMPImage image;
    image.Assign(bitmap);
    image.SaveToFile(file.path);
  }
  state.counters["file_bytes"] = file.Bytes();
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// BITMAPFILEHEADER and BITMAPINFOHEADER of a bottom-up 24-bit image.
std::vector<uint8_t> Headers(uint32_t imageBytes) {
  std::vector<uint8_t> h = {'B', 'M'};
  PutLE(h, 54 + imageBytes, 4);
  PutLE(h, 0, 4);
  PutLE(h, 54, 4);
  for (uint32_t v : {40u, uint32_t{kWidth}, uint32_t{kHeight}}) PutLE(h, v, 4);
  PutLE(h, 1, 2);
  PutLE(h, 24, 2);
  for (uint32_t v : {0u, imageBytes, 0u, 0u, 0u, 0u}) PutLE(h, v, 4);
  return h;
}

void BM_Bmp24Encode_Plain(benchmark::State& state) {
  // 3 * 4000 bytes: the rows need no padding.
  const std::vector<uint8_t> pixels = velmora_bench::TestCardPixels(kWidth, kHeight);
  const size_t rowBytes = size_t{kWidth} * 3;
  const std::vector<uint8_t> headers = Headers(static_cast<uint32_t>(pixels.size()));
  velmora_bench::TScratchFile file("plain", ".bmp");
  for (auto _ : state) {
    velmora_bench::SaveDurably(file.path, [&](const std::string& path) {
      FILE* out = std::fopen(path.c_str(), "wb");
      std::fwrite(headers.data(), 1, headers.size(), out);
      for (int y = kHeight - 1; y >= 0; --y)
        std::fwrite(pixels.data() + rowBytes * static_cast<size_t>(y), 1, rowBytes, out);
      std::fclose(out);
    });
  }
  state.counters["file_bytes"] = file.Bytes();
}

}  // namespace

BENCHMARK(BM_Bmp24Encode_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Bmp24Encode_Plain)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
