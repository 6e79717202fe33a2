// Decoding and encoding through TJPEGImageExtra side by side with libjpeg-turbo used directly
// into a plain buffer: the class should add little beyond the library's own work.
#include <benchmark/benchmark.h>

#include <jpeglib.h>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "bench/scratch_file.h"
#include "bench/test_card_pixels.h"
#include "control/formats/jpeg/jpeg_image.h"

namespace {

using namespace pictavo;

constexpr int kWidth = 1600;
constexpr int kHeight = 1200;

TBMPImage Picture() {
  TBMPImage bitmap;
  bitmap.SetPixelFormat(plat::TPixelFormat::pf24bit);
  bitmap.SetSize(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      row[3 * x] = static_cast<uint8_t>(x);
      row[3 * x + 1] = static_cast<uint8_t>(y);
      row[3 * x + 2] = static_cast<uint8_t>((x ^ y) & 0xFF);
    }
  }
  return bitmap;
}

const std::vector<uint8_t>& EncodedPicture() {
  static const std::vector<uint8_t> bytes = [] {
    TJPEGImageExtra jpeg;
    jpeg.Assign(Picture());
    jpeg.Quality = 85;
    plat::TMemoryStream out;
    jpeg.SaveToStream(out);
    return out.Bytes();
  }();
  return bytes;
}

void DecodeWithClass(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = EncodedPicture();
  for (auto _ : state) {
    TJPEGImageExtra jpeg;
    plat::TReadOnlyMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
    jpeg.LoadFromStream(in);
    benchmark::DoNotOptimize(jpeg.GetBitmap().ScanLine(0));
  }
}
BENCHMARK(DecodeWithClass)->Unit(benchmark::kMillisecond);

void DecodeWithLibrary(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = EncodedPicture();
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto _ : state) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    info.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels.data() + static_cast<size_t>(info.output_scanline) * kWidth * 3;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(DecodeWithLibrary)->Unit(benchmark::kMillisecond);

void EncodeWithClass(benchmark::State& state) {
  TBMPImage picture = Picture();
  for (auto _ : state) {
    TJPEGImageExtra jpeg;
    jpeg.Assign(picture);
    jpeg.Quality = 85;
    benchmark::DoNotOptimize(jpeg.CompressedData().data());
  }
}
BENCHMARK(EncodeWithClass)->Unit(benchmark::kMillisecond);

void EncodeWithLibrary(benchmark::State& state) {
  TBMPImage picture = Picture();
  for (auto _ : state) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = picture.ScanLine(static_cast<int>(info.next_scanline));
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    benchmark::DoNotOptimize(buffer);
    std::free(buffer);
  }
}
BENCHMARK(EncodeWithLibrary)->Unit(benchmark::kMillisecond);

// ---- a 12-megapixel photo saved at quality 90 to a file on disk

constexpr int kPhotoWidth = 4000, kPhotoHeight = 3000;

// The file from its first quantisation table on: the coded picture, without the segments before
// it (ours adds its EXIF segment and writes its resolution into the JFIF one).
std::vector<uint8_t> CodedPart(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDB)
      return {bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end()};
  return {};
}

void SaveOurs(const plat::TBitmap& photo, const std::string& path) {
  TJPEGImageExtra jpeg;
  jpeg.Assign(photo);
  jpeg.Quality = 90;
  jpeg.SaveToFile(path);
}

// libjpeg-turbo with the settings our writer gives it, from the same blue-green-red rows, to a
// file through stdio.
void WriteLibrary(const std::vector<uint8_t>& bgr, const std::string& path) {
  FILE* out = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = kPhotoWidth;
  info.image_height = kPhotoHeight;
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  info.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bgr.data()) + size_t{info.next_scanline} * kPhotoWidth * 3;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
}

// The library's file made to survive a power loss, as our saving makes ours.
void SaveLibrary(const std::vector<uint8_t>& bgr, const std::string& path) {
  velmora_bench::SaveDurably(path, [&](const std::string& fresh) { WriteLibrary(bgr, fresh); });
}

void EncodeFileQ90WithClass(benchmark::State& state) {
  const std::vector<uint8_t> bgr = velmora_bench::TestCardPixels(kPhotoWidth, kPhotoHeight);
  const plat::TBitmap photo = velmora_bench::BitmapOf(bgr, kPhotoWidth, kPhotoHeight);
  velmora_bench::TScratchFile file("ours", ".jpg"), reference("check", ".jpg");
  // Only the same coded bytes make the times comparable.
  SaveOurs(photo, file.path);
  SaveLibrary(bgr, reference.path);
  const std::vector<uint8_t> coded = CodedPart(file.path);
  if (coded.empty() || coded != CodedPart(reference.path)) state.SkipWithError("files differ");
  for (auto _ : state) SaveOurs(photo, file.path);
  state.counters["file_bytes"] = file.Bytes();
}
BENCHMARK(EncodeFileQ90WithClass)->Unit(benchmark::kMillisecond)->UseRealTime();

void EncodeFileQ90WithLibrary(benchmark::State& state) {
  const std::vector<uint8_t> bgr = velmora_bench::TestCardPixels(kPhotoWidth, kPhotoHeight);
  velmora_bench::TScratchFile file("libjpeg", ".jpg");
  for (auto _ : state) SaveLibrary(bgr, file.path);
  state.counters["file_bytes"] = file.Bytes();
}
BENCHMARK(EncodeFileQ90WithLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
