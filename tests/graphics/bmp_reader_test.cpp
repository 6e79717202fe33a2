// The BMP reader against ImageMagick: files it writes load with the pixels it reads, files we
// craft for the cases it does not write (RLE4, deltas, top-down, V4 headers) load as it reads
// them, and broken files fail with a message that names the fault.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "graphics/bmp_builder.h"
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

namespace plat {
namespace {

using velmora_test::BmpBuilder;
using velmora_test::DistinctPalette;

struct CraftedCase {
  const char* name;
  BmpBuilder file;
  TPixelFormat format;
};

BmpBuilder Rle4() {
  BmpBuilder b;
  b.width = 7;
  b.height = 4;
  b.bits = 4;
  b.compression = 2;
  b.palette = DistinctPalette(16);
  b.pixels = {
      0x04, 0x12,              // run of 4 alternating 1, 2
      0x00, 0x03, 0x34, 0x50,  // literal of 3 (3 4 5): two bytes, no pad
      0x00, 0x00,              // end of line
      0x00, 0x02, 0x02, 0x01,  // delta: 2 right, 1 up
      0x04, 0xEE,              // run of 4 behind the delta
      0x00, 0x00,              // end of line
      0x07, 0xF0,              // full row 15 0 15 0 ...
      0x00, 0x01,              // end of bitmap
  };
  return b;
}

BmpBuilder Rle8() {
  BmpBuilder b;
  b.width = 6;
  b.height = 3;
  b.bits = 8;
  b.compression = 1;
  b.colours_used = 20;
  b.palette = DistinctPalette(20);
  b.pixels = {0x03, 0x07,                          // run of 3
              0x00, 0x03, 0x09, 0x0A, 0x0B, 0x00,  // literal of 3, padded
              0x00, 0x02, 0x01, 0x01,              // delta right 1, up 1
              0x02, 0x13,                          // run of 2
              0x00, 0x00,                          // end of line
              0x06, 0x05,                          // run of 6
              0x00, 0x01};
  return b;
}

BmpBuilder TopDown24() {
  BmpBuilder b;
  b.width = 5;
  b.height = -3;
  for (int i = 0; i < 3 * 16; ++i) b.pixels.push_back(static_cast<uint8_t>(i * 29 + 3));
  return b;
}

BmpBuilder TopDownMono() {
  BmpBuilder b;
  b.width = 10;
  b.height = -3;
  b.bits = 1;
  b.palette = DistinctPalette(2);
  b.pixels = {0xA5, 0x40, 0, 0, 0x0F, 0xC0, 0, 0, 0xFF, 0x00, 0, 0};
  return b;
}

BmpBuilder V4Rgb555() {
  BmpBuilder b;
  b.header_size = 108;
  b.width = 3;
  b.height = 2;
  b.bits = 16;
  b.compression = 3;
  b.masks = {0x7C00, 0x03E0, 0x001F, 0};
  b.pixels = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0, 0x55, 0x2A, 0xFF, 0x7F, 0x21, 0x04, 0, 0};
  return b;
}

BmpBuilder Info565MasksBehindHeader() {
  BmpBuilder b;
  b.width = 2;
  b.height = 2;
  b.bits = 16;
  b.compression = 3;
  b.masks = {0xF800, 0x07E0, 0x001F};
  b.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xAB, 0xCD};
  return b;
}

BmpBuilder ShortPalette8() {
  BmpBuilder b;
  b.width = 3;
  b.height = 2;
  b.bits = 8;
  b.colours_used = 3;
  b.palette = DistinctPalette(3);
  b.pixels = {0, 1, 2, 0, 2, 1, 0, 0};
  return b;
}

BmpBuilder Core1Bit() {
  BmpBuilder b;
  b.header_size = 12;
  b.width = 9;
  b.height = 2;
  b.bits = 1;
  b.palette = DistinctPalette(2);
  b.pixels = {0xC3, 0x80, 0, 0, 0x3C, 0x00, 0, 0};
  return b;
}

class CraftedFile : public testing::TestWithParam<CraftedCase> {};

TEST_P(CraftedFile, LoadsAsImageMagickReadsIt) {
  const CraftedCase& c = GetParam();
  ScratchDir dir;
  const std::string path = dir.File("crafted.bmp");
  velmora_test::WriteBytes(path, c.file.Build());
  const TBitmap ours = LoadOurs(path);
  EXPECT_EQ(ours.PixelFormat(), c.format);
  ExpectSamePixels(ours, ReadWithImageMagick(dir, path), false);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CraftedFile,
    testing::Values(CraftedCase{"Rle4", Rle4(), TPixelFormat::pf4bit},
                    CraftedCase{"Rle8WithDelta", Rle8(), TPixelFormat::pf8bit},
                    CraftedCase{"TopDown24", TopDown24(), TPixelFormat::pf24bit},
                    CraftedCase{"TopDownMono", TopDownMono(), TPixelFormat::pf1bit},
                    CraftedCase{"V4Rgb555", V4Rgb555(), TPixelFormat::pf15bit},
                    CraftedCase{"InfoRgb565", Info565MasksBehindHeader(), TPixelFormat::pf16bit},
                    CraftedCase{"ShortPalette", ShortPalette8(), TPixelFormat::pf8bit},
                    CraftedCase{"Core1Bit", Core1Bit(), TPixelFormat::pf1bit}),
    [](const testing::TestParamInfo<CraftedCase>& info) { return info.param.name; });

TEST(BmpReader, ReadsFromTheCurrentPositionAndStopsBehindThePixels) {
  std::vector<uint8_t> bytes = {1, 2, 3};
  const std::vector<uint8_t> file = TopDown24().Build();
  bytes.insert(bytes.end(), file.begin(), file.end());
  bytes.push_back(0x77);
  TMemoryStream stream(bytes);
  stream.SetPosition(3);
  TBitmap bitmap;
  ReadBmp(stream, bitmap);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(stream.Position(), 3 + static_cast<int64_t>(file.size()));
}

struct BrokenCase {
  const char* name;
  void (*damage)(std::vector<uint8_t>&);
  const char* message;
};

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

class BrokenFile : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, FailsWithAMessageNamingTheFaultAndLeavesTheBitmapAlone) {
  const BrokenCase& c = GetParam();
  BmpBuilder b = ShortPalette8();
  std::vector<uint8_t> file = b.Build();
  c.damage(file);
  TMemoryStream stream(file);
  TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
  try {
    ReadBmp(stream, bitmap);
    FAIL() << "no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.what()), std::string("Bitmap image is not valid: ") + c.message);
  }
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenFile,
    testing::Values(
        BrokenCase{"Signature", [](auto& f) { f[0] = 'X'; }, "the signature is not \"BM\""},
        BrokenCase{"TooShort", [](auto& f) { f.resize(16); },
                   "the file is too short for its headers"},
        BrokenCase{"HeaderSize", [](auto& f) { Put32(f, 14, 20); },
                   "header size 20 is not supported"},
        BrokenCase{"HeaderPastEnd", [](auto& f) { Put32(f, 14, 0x7FFFFFF0); },
                   "the bitmap header runs past the end of the file"},
        BrokenCase{"Planes", [](auto& f) { f[26] = 2; }, "the plane count is not 1"},
        BrokenCase{"Bits", [](auto& f) { f[28] = 7; }, "7 bits per pixel are not supported"},
        BrokenCase{"Compression", [](auto& f) { Put32(f, 30, 4); },
                   "compression method 4 is not supported"},
        BrokenCase{"RleDepth", [](auto& f) { Put32(f, 30, 2); },
                   "RLE4 compression needs 4 bits per pixel"},
        BrokenCase{"MasksDepth", [](auto& f) { Put32(f, 30, 3); },
                   "colour masks need 16 or 32 bits per pixel"},
        BrokenCase{"NegativeWidth", [](auto& f) { Put32(f, 18, 0xFFFFFFFD); },
                   "the width is negative"},
        BrokenCase{"HugeImage", [](auto& f) { Put32(f, 18, 0x7FFFFFFF), Put32(f, 22, 0x7FFFFFFF); },
                   "the image is too large"},
        BrokenCase{"RowsPastEnd", [](auto& f) { Put32(f, 22, 1000); },
                   "the pixel data runs past the end of the file"},
        BrokenCase{"OffsetIntoHeader", [](auto& f) { Put32(f, 10, 20); },
                   "the pixel data offset points into the headers"},
        BrokenCase{"OffsetPastEnd", [](auto& f) { Put32(f, 10, 0xFFFFFFFF); },
                   "the pixel data offset lies past the end of the file"},
        BrokenCase{"TopDownRle", [](auto& f) { Put32(f, 30, 1), Put32(f, 22, 0xFFFFFFFE); },
                   "a compressed bitmap cannot be stored top-down"},
        BrokenCase{"RleLiteralPastEnd",
                   [](auto& f) {
                     Put32(f, 30, 1);
                     f.resize(f.size() - 8);
                     f.insert(f.end(), {0x00, 0x09, 1, 2});
                   },
                   "the compressed data runs past the end of the file"},
        BrokenCase{"RleTooLargeForItsData",
                   [](auto& f) { Put32(f, 30, 1), Put32(f, 18, 30000), Put32(f, 22, 30000); },
                   "the image is too large for its compressed data"}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return info.param.name; });

TEST(BmpReader, RleRunPastTheRightEdgeIsClippedToItsRow) {
  BmpBuilder b;
  b.width = 3;
  b.height = 2;
  b.bits = 8;
  b.compression = 1;
  b.palette = DistinctPalette(256);
  b.pixels = {0x05, 0x09, 0x00, 0x00, 0x01, 0x04, 0x00, 0x01};
  TMemoryStream stream(b.Build());
  TBitmap bitmap;
  ReadBmp(stream, bitmap);
  const uint8_t bottom[3] = {9, 9, 9};
  const uint8_t top[3] = {4, 0, 0};
  EXPECT_EQ(std::memcmp(bitmap.ScanLine(1), bottom, 3), 0);
  EXPECT_EQ(std::memcmp(bitmap.ScanLine(0), top, 3), 0);
}

TEST(BmpReader, MaskWithGapsIsRejected) {
  BmpBuilder b = Info565MasksBehindHeader();
  b.masks[1] = 0x0520;
  TMemoryStream stream(b.Build());
  TBitmap bitmap;
  EXPECT_THROW(
      {
        try {
          ReadBmp(stream, bitmap);
        } catch (const EInvalidGraphic& e) {
          EXPECT_STREQ(e.what(),
                       "Bitmap image is not valid: a colour mask has gaps between its bits");
          throw;
        }
      },
      EInvalidGraphic);
}

}  // namespace
}  // namespace plat
