#pragma once
// Uncompressed 24-bit RGB TIFF files for the benchmarks whose reference tools read TIFF.
#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::bench {

// Writes path from rows that fill(y, rgb) puts into a buffer of 3 * width bytes.
inline void WriteRgbTiff(const std::string& path, int width, int height,
                         const std::function<void(int y, uint8_t* rgb)>& fill) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) throw std::runtime_error("cannot write " + path);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    fill(y, rgb.data());
    if (TIFFWriteScanline(tiff, rgb.data(), static_cast<uint32_t>(y), 0) < 0) {
      TIFFClose(tiff);
      throw std::runtime_error("cannot write " + path);
    }
  }
  TIFFClose(tiff);
}

}  // namespace velmora::bench
