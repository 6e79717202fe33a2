#pragma once
// Uncompressed 24-bit RGB TIFF files for the benchmarks whose reference tools read TIFF.
#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::bench {

// The fields of a contiguous 8-bit RGB page in the given coding (predictor 2: horizontal
// differencing, for LZW); rowsPerStrip 0 takes libtiff's default strip size.
inline void SetRgbLayout(TIFF* tiff, int width, int height, uint16_t compression,
                         uint16_t predictor = 1, uint32_t rowsPerStrip = 0) {
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  if (compression == COMPRESSION_LZW) TIFFSetField(tiff, TIFFTAG_PREDICTOR, predictor);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
               rowsPerStrip != 0 ? rowsPerStrip : TIFFDefaultStripSize(tiff, 0));
}

// Writes path from rows that fill(y, rgb) puts into a buffer of 3 * width bytes.
inline void WriteRgbTiff(const std::string& path, int width, int height,
                         const std::function<void(int y, uint8_t* rgb)>& fill,
                         uint16_t compression = COMPRESSION_NONE, uint32_t rowsPerStrip = 16) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) throw std::runtime_error("cannot write " + path);
  SetRgbLayout(tiff, width, height, compression, 1, rowsPerStrip);
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
