#pragma once
// Shared by the TIFF tests: source images written as netpbm files, decoding a TIFF file with
// our reader, and comparing our pixels with ImageMagick's (libtiff underneath).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/tiff/tif_image.h"
#include "graphics/referee.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace velmora_test {

inline bool MonoPixelIsBlack(int x, int y) {
  return ((x + 3 * y / 2) / 11) % 3 == 0 || (x * x + y * 7) % 97 < 20 || (y == 5 && x > 20) ||
         (y == 9 && x < 150);
}

// 1-bit, 8-bit grey and 24-bit colour test pictures of odd sizes with long and short runs.
inline void WriteSources(const ScratchDir& dir, int monoWidth = 173) {
  std::string pbm = "P4\n" + std::to_string(monoWidth) + " 41\n";
  std::vector<uint8_t> bytes(pbm.begin(), pbm.end());
  for (int y = 0; y < 41; ++y) {
    std::vector<uint8_t> row((monoWidth + 7) / 8, 0);
    for (int x = 0; x < monoWidth; ++x)
      if (MonoPixelIsBlack(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  WriteBytes(dir.File("mono.pbm"), bytes);

  std::string pgm = "P5\n53 31\n255\n";
  bytes.assign(pgm.begin(), pgm.end());
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 53; ++x) bytes.push_back(static_cast<uint8_t>((x * 7 + y * 13) % 256));
  WriteBytes(dir.File("grey.pgm"), bytes);

  std::string ppm = "P6\n47 29\n255\n";
  bytes.assign(ppm.begin(), ppm.end());
  for (int y = 0; y < 29; ++y)
    for (int x = 0; x < 47; ++x) {
      bytes.push_back(static_cast<uint8_t>(x * 5));
      bytes.push_back(static_cast<uint8_t>(y * 9));
      bytes.push_back(static_cast<uint8_t>((x / 4) * (y / 3) * 11));
    }
  WriteBytes(dir.File("colour.ppm"), bytes);
}

inline bool Shell(const ScratchDir& dir, const std::string& command) {
  return Run("cd '" + dir.File("") + "' && " + command + " >/dev/null 2>&1");
}

// Pages written by ImageMagick: a.tif (1-bit), b.tif (8-bit grey), c.tif (24-bit), and
// three.tif, the three of them as one LZW file made by tiffcp.
inline bool WritePageFiles(const ScratchDir& dir) {
  WriteSources(dir);
  return Shell(dir,
               "convert mono.pbm -compress none a.tif && "
               "convert grey.pgm -depth 8 -compress none b.tif && "
               "convert colour.ppm -depth 8 -compress none c.tif && "
               "tiffcp -c lzw a.tif b.tif c.tif three.tif");
}

inline pictavo::TBMPImage DecodeTiff(const std::string& path, int32_t page = 1) {
  pictavo::TTIFImage tif;
  tif.PageNumber = page;
  tif.LoadFromFile(path);
  pictavo::TBMPImage bmp;
  bmp.Assign(tif);
  return bmp;
}

// Every pixel of `ours` within `tolerance` of the referee's in each channel.
inline void ExpectSamePixels(const plat::TBitmap& ours, const RgbaImage& theirs,
                             int tolerance = 0) {
  ASSERT_EQ(ours.Width(), theirs.width);
  ASSERT_EQ(ours.Height(), theirs.height);
  int mismatches = 0;
  for (int y = 0; y < theirs.height; ++y)
    for (int x = 0; x < theirs.width; ++x) {
      plat::TColor c = ours.PixelColor(x, y);
      const uint8_t* p = theirs.At(x, y);
      if (std::abs(plat::GetRValue(c) - p[0]) > tolerance ||
          std::abs(plat::GetGValue(c) - p[1]) > tolerance ||
          std::abs(plat::GetBValue(c) - p[2]) > tolerance) {
        if (++mismatches <= 3)
          ADD_FAILURE() << "pixel " << x << "," << y << ": ours " << std::hex << c << " theirs "
                        << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
      }
    }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace velmora_test
