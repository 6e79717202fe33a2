// Pages of many strips decode to the same pixels on one worker and on four, and to libtiff's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/workers.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

// Large enough that the strips are shared out over several threads.
constexpr int kWidth = 701;
constexpr int kHeight = 389;

void WriteLargeColour(const ScratchDir& dir) {
  std::string ppm = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
  std::vector<uint8_t> bytes(ppm.begin(), ppm.end());
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      bytes.push_back(static_cast<uint8_t>(x * 3 + y));
      bytes.push_back(static_cast<uint8_t>((x ^ y) * 7));
      bytes.push_back(static_cast<uint8_t>((x / 16) * (y / 8) * 5));
    }
  WriteBytes(dir.File("big.ppm"), bytes);
}

// Every row's pixel bytes, so two decodes compare byte for byte.
std::vector<uint8_t> RowBytes(const plat::TBitmap& bmp) {
  const size_t rowBytes =
      (static_cast<size_t>(bmp.Width()) * plat::BitsPerPixel(bmp.PixelFormat()) + 7) / 8;
  std::vector<uint8_t> all;
  for (int y = 0; y < bmp.Height(); ++y) {
    const uint8_t* row = static_cast<const plat::TBitmap&>(bmp).ScanLine(y);
    all.insert(all.end(), row, row + rowBytes);
  }
  return all;
}

pictavo::TBMPImage DecodeOn(const char* workers, const std::string& path) {
  ::setenv(plat::kWorkersVariable, workers, 1);
  pictavo::TBMPImage bmp = DecodeTiff(path);
  ::unsetenv(plat::kWorkersVariable);
  return bmp;
}

TEST(TiffThreads, ManyStripPagesDecodeAlikeOnOneAndFourWorkers) {
  ScratchDir dir;
  WriteLargeColour(dir);
  ASSERT_TRUE(Shell(dir,
                    "convert big.ppm -depth 8 -compress none rgb.tif && "
                    "convert big.ppm -colorspace Gray -depth 8 -compress none g8.tif && "
                    "convert big.ppm -colorspace Gray -threshold 50% big.pbm && "
                    "convert big.pbm -compress none bw.tif && "
                    "convert big.ppm -depth 8 -colors 200 -type Palette -compress none p8.tif && "
                    "convert big.ppm -depth 8 -colorspace CMYK -compress none cmyk.tif"));
  struct ThreadCase {
    const char* make;
    int tolerance;
  };
  const ThreadCase cases[] = {
      {"tiffcp -c none -r 2 rgb.tif case.tif", 0},
      {"tiffcp -c lzw:2 -r 3 rgb.tif case.tif", 0},
      {"tiffcp -c packbits -r 1 -p separate rgb.tif case.tif", 0},
      {"tiffcp -c lzw -r 2 g8.tif case.tif", 0},
      {"tiffcp -c none -r 4 g8.tif case.tif && tiffset -s 262 0 case.tif", 0},
      {"tiffcp -c packbits -r 2 p8.tif case.tif", 1},
      {"tiffcp -c g4 -r 3 bw.tif case.tif", 0},
      {"tiffcp -c lzw -r 2 -f lsb2msb bw.tif case.tif", 0},
      {"tiffcp -c lzw:2 -r 2 cmyk.tif case.tif", 1},
  };
  for (const ThreadCase& c : cases) {
    SCOPED_TRACE(c.make);
    ASSERT_TRUE(Shell(dir, std::string("rm -f case.tif && ") + c.make));
    ASSERT_TRUE(Shell(dir, "tiff2rgba -c none case.tif ref.tif"));
    RgbaImage theirs = ReadWithImageMagick(dir, dir.File("ref.tif"));
    ASSERT_EQ(theirs.width, kWidth);
    const pictavo::TBMPImage four = DecodeOn("4", dir.File("case.tif"));
    ExpectSamePixels(four, theirs, c.tolerance);
    EXPECT_EQ(RowBytes(DecodeOn("1", dir.File("case.tif"))), RowBytes(four));
  }
}

// Broken strips amid good ones fail the page the same way on one worker and on four, and the
// target keeps its picture.
TEST(TiffThreads, BrokenStripsFailAlikeOnOneAndFourWorkers) {
  ScratchDir dir;
  WriteLargeColour(dir);
  ASSERT_TRUE(Shell(dir,
                    "convert big.ppm -depth 8 -compress none rgb.tif && "
                    "tiffcp -c lzw -r 1 rgb.tif case.tif"));
  // The strips lie between the header and the directory at the end: ones in the middle of the
  // file become codes no table holds yet.
  std::vector<uint8_t> bytes = ReadBytes(dir.File("case.tif"));
  std::fill(bytes.begin() + static_cast<ptrdiff_t>(bytes.size() / 2),
            bytes.begin() + static_cast<ptrdiff_t>(bytes.size() / 2 + 4000), 0xFF);
  WriteBytes(dir.File("broken.tif"), bytes);
  std::string messages[2];
  const char* workers[2] = {"1", "4"};
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(workers[k]);
    ::setenv(plat::kWorkersVariable, workers[k], 1);
    pictavo::TTIFImage tif;
    tif.LoadFromFile(dir.File("broken.tif"));
    ASSERT_GT(tif.StripCount(), 100u);
    pictavo::TBMPImage target;
    try {
      target.Assign(tif);
      ADD_FAILURE() << "the broken page decoded";
    } catch (const plat::EInvalidGraphic& e) {
      messages[k] = e.what();
    }
    ::unsetenv(plat::kWorkersVariable);
    EXPECT_TRUE(target.GetEmpty());
  }
  EXPECT_FALSE(messages[0].empty());
  EXPECT_EQ(messages[0], messages[1]);
}

}  // namespace
}  // namespace velmora_test
