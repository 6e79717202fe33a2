// Peak resident memory of whole-file work on a 24-megapixel photo, ours beside the reference
// libraries, each side in a process of its own so one's peak cannot hide the other's. The driver
// (bench/run_all.py) runs `prepare` once and then each case; every case prints its peak.
//
//   peak_memory prepare DIR        writes DIR/photo.jpg (libjpeg) and DIR/photo.tif (libtiff, LZW)
//   peak_memory CASE DIR           CASE: ours-jpeg-png, libjpeg-jpeg-png, ours-tiff, libtiff-tiff,
//                                  ours-baseline (the process before any work)
// jpeglib.h uses size_t and FILE without including their headers.
#include <cstddef>
#include <cstdio>
//
#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>
#include <tiffio.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/rgb_tiff.h"
#include "bench/test_card_pixels.h"
#include "control/engine/raster/ticbitmap.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// The test card as red-green-blue rows.
std::vector<uint8_t> PhotoRgb() {
  std::vector<uint8_t> rgb = velmora_bench::TestCardPixels(kWidth, kHeight);
  for (size_t i = 0; i < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

FILE* OpenOrThrow(const std::string& path, const char* mode) {
  FILE* f = std::fopen(path.c_str(), mode);
  if (f == nullptr) throw std::runtime_error("cannot open " + path);
  return f;
}

void WriteJpeg(const std::string& path, const std::vector<uint8_t>& rgb) {
  FILE* f = OpenOrThrow(path, "wb");
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, f);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(rgb.data() + size_t(info.next_scanline) * kWidth * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(f);
}

void WriteTiff(const std::string& path, const std::vector<uint8_t>& rgb) {
  velmora::bench::WriteRgbTiff(
      path, kWidth, kHeight,
      [&rgb](int y, uint8_t* row) {
        std::memcpy(row, rgb.data() + size_t(y) * kWidth * 3, size_t{kWidth} * 3);
      },
      COMPRESSION_LZW, 0);
}

// What a program built on libjpeg and libpng does: the whole image decoded into memory, then
// written out row by row.
void LibjpegToLibpng(const std::string& dir) {
  FILE* in = OpenOrThrow(dir + "/photo.jpg", "rb");
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, in);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  const size_t rowBytes = size_t(info.output_width) * info.output_components;
  std::vector<uint8_t> pixels(rowBytes * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + info.output_scanline * rowBytes;
    jpeg_read_scanlines(&info, &row, 1);
  }
  const uint32_t width = info.output_width, height = info.output_height;
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(in);

  FILE* out = OpenOrThrow(dir + "/reference.png", "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop pngInfo = png_create_info_struct(png);
  png_init_io(png, out);
  png_set_IHDR(png, pngInfo, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, pngInfo);
  for (uint32_t y = 0; y < height; ++y) png_write_row(png, pixels.data() + y * rowBytes);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &pngInfo);
  std::fclose(out);
}

void LibtiffDecode(const std::string& dir) {
  TIFF* in = TIFFOpen((dir + "/photo.tif").c_str(), "r");
  if (in == nullptr) throw std::runtime_error("cannot read photo.tif");
  const tmsize_t stripSize = TIFFStripSize(in);
  std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 3);
  for (uint32_t s = 0, n = TIFFNumberOfStrips(in); s < n; ++s)
    TIFFReadEncodedStrip(in, s, pixels.data() + s * stripSize, -1);
  TIFFClose(in);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: peak_memory prepare|CASE DIR\n");
    return 2;
  }
  const std::string what = argv[1], dir = argv[2];
  try {
    if (what == "prepare") {
      const std::vector<uint8_t> rgb = PhotoRgb();
      WriteJpeg(dir + "/photo.jpg", rgb);
      WriteTiff(dir + "/photo.tif", rgb);
      return 0;
    }
    if (what == "ours-baseline") {
      // The process with its libraries loaded and nothing done: what every peak starts from.
    } else if (what == "ours-jpeg-png") {
      pictavo::TicBitmap bitmap;
      bitmap.LoadImageFile(dir + "/photo.jpg", 1);
      bitmap.SaveImageFile(dir + "/ours.png", false, 90);
    } else if (what == "libjpeg-jpeg-png") {
      LibjpegToLibpng(dir);
    } else if (what == "ours-tiff") {
      pictavo::TicBitmap bitmap;
      bitmap.UseLZW = true;
      bitmap.LoadImageFile(dir + "/photo.tif", 1);
    } else if (what == "libtiff-tiff") {
      LibtiffDecode(dir);
    } else {
      std::fprintf(stderr, "unknown case %s\n", what.c_str());
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), e.what());
    return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak_kb=%ld raw_kb=%ld\n", usage.ru_maxrss, long{kWidth} * kHeight * 3 / 1024);
  return 0;
}
