#include <gtest/gtest.h>

#include <jpeglib.h>
#include <cstdio>
#include <cstring>

#include "control/formats/jpeg/jpeg_image.h"
#include "control/formats/jpeg/jpeg_segments.h"
#include "jpeg/jpeg_fixtures.h"
#include "platform/base/rounding.h"

namespace pictavo {
namespace {

using namespace pictavo::jpegtest;

constexpr int kWidth = 61;  // odd sizes exercise row padding and partial blocks
constexpr int kHeight = 37;

std::unique_ptr<TJPEGImageExtra> LoadFile(const std::string& path) {
  auto jpeg = std::make_unique<TJPEGImageExtra>();
  jpeg->LoadFromFile(path);
  return jpeg;
}

// Largest difference between our decoded pixels and a PNM decoded by an outside tool.
int LargestDifference(const TBMPImage& bitmap, const TPnm& pnm) {
  int worst = 0;
  for (int y = 0; y < pnm.Height; ++y)
    for (int x = 0; x < pnm.Width; ++x) {
      plat::TColor c = bitmap.PixelColor(x, y);
      const uint8_t* p = &pnm.Pixels[(static_cast<size_t>(y) * pnm.Width + x) * pnm.Channels];
      int channels[3] = {plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)};
      for (int k = 0; k < 3; ++k)
        worst = std::max(worst, std::abs(channels[k] - p[pnm.Channels == 1 ? 0 : k]));
    }
  return worst;
}

// CMYK input encoded as YCCK, which no command-line tool here writes.
void WriteYcckFile(const std::string& path, int width, int height) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, JCS_YCCK);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width; ++x) {
      row[x * 4 + 0] = static_cast<uint8_t>(x * 4);
      row[x * 4 + 1] = static_cast<uint8_t>(info.next_scanline * 6);
      row[x * 4 + 2] = 128;
      row[x * 4 + 3] = static_cast<uint8_t>(255 - x * 2);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

struct TDecodeCase {
  const char* name;
  const char* make;  // shell command writing f.jpg from in.ppm
  const char* identify_colorspace;
  uint8_t kind;
  bool progressive;
};

class DecodeTable : public ::testing::TestWithParam<TDecodeCase> {};

TEST_P(DecodeTable, AgreesWithDjpegAndIdentify) {
  const TDecodeCase& c = GetParam();
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), kWidth, kHeight);
  if (std::string(c.make) == "ycck")
    WriteYcckFile(scratch.Path("f.jpg"), kWidth, kHeight);
  else
    Shell(scratch, c.make);

  auto owner = LoadFile(scratch.Path("f.jpg"));
  TJPEGImageExtra& jpeg = *owner;
  std::string identified =
      Shell(scratch, "identify -format '%w %h %[colorspace] %[interlace]' f.jpg");
  char colorspace[32] = {}, interlace[32] = {};
  int width = 0, height = 0;
  ASSERT_EQ(
      std::sscanf(identified.c_str(), "%d %d %31s %31s", &width, &height, colorspace, interlace),
      4);
  EXPECT_EQ(jpeg.GetWidth(), width);
  EXPECT_EQ(jpeg.GetHeight(), height);
  EXPECT_STREQ(colorspace, c.identify_colorspace);
  EXPECT_EQ(jpeg.ColorSpaceKind, c.kind);
  EXPECT_EQ(jpeg.ProgressiveEncoding, std::string(interlace) != "None");
  EXPECT_EQ(jpeg.ProgressiveEncoding, c.progressive);

  const TBMPImage& bitmap = jpeg.GetBitmap();
  bool grey = c.kind == kColorSpaceGrayscale;
  EXPECT_EQ(bitmap.PixelFormat(), grey ? plat::TPixelFormat::pf8bit : plat::TPixelFormat::pf24bit);
  TPnm reference = ReadPnm(ReadBytes(
      (Shell(scratch, "djpeg -dct float -pnm -outfile ref.pnm f.jpg"), scratch.Path("ref.pnm"))));
  ASSERT_EQ(reference.Width, bitmap.Width());
  ASSERT_EQ(reference.Height, bitmap.Height());
  EXPECT_LE(LargestDifference(bitmap, reference), 2) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DecodeTable,
    ::testing::Values(
        TDecodeCase{"baseline", "cjpeg -quality 90 in.ppm > f.jpg", "sRGB", kColorSpaceYCbCr,
                    false},
        TDecodeCase{"progressive", "cjpeg -progressive in.ppm > f.jpg", "sRGB", kColorSpaceYCbCr,
                    true},
        TDecodeCase{"grey", "cjpeg -grayscale in.ppm > f.jpg", "Gray", kColorSpaceGrayscale, false},
        TDecodeCase{"rgb", "cjpeg -rgb in.ppm > f.jpg", "sRGB", kColorSpaceRGB, false},
        TDecodeCase{"cmyk", "convert in.ppm -colorspace CMYK f.jpg", "CMYK", kColorSpaceCMYK,
                    false},
        TDecodeCase{"ycck", "ycck", "CMYK", kColorSpaceCMYK, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A grey file keeps every one of its grey levels: no quantising to fewer colours on the way.
TEST(JpegDecode, GreyKeepsAllLevelsWithTheIdentityPalette) {
  TScratch scratch;
  std::string header = "P5\n256 4\n255\n";
  std::vector<uint8_t> pgm(header.begin(), header.end());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 256; ++x) pgm.push_back(static_cast<uint8_t>(x));
  WriteFile(scratch.Path("g.pgm"), pgm);
  Shell(scratch,
        "cjpeg -quality 100 g.pgm > g.jpg && djpeg -dct float -pnm -outfile ref.pgm g.jpg");
  auto owner = LoadFile(scratch.Path("g.jpg"));
  TJPEGImageExtra& jpeg = *owner;
  const TBMPImage& bitmap = jpeg.GetBitmap();
  ASSERT_EQ(bitmap.PixelFormat(), plat::TPixelFormat::pf8bit);
  ASSERT_EQ(bitmap.Palette().size(), 256u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(bitmap.Palette()[i].rgbRed, i);
  TPnm reference = ReadPnm(ReadBytes(scratch.Path("ref.pgm")));
  for (int x = 0; x < 256; ++x) EXPECT_EQ(bitmap.ScanLine(1)[x], reference.Pixels[256 + x]) << x;
}

// Eight-bit output quantises a colour file to at most 236 colours that still look like it.
TEST(JpegDecode, EightBitOutputQuantisesColours) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), kWidth, kHeight);
  Shell(scratch, "cjpeg in.ppm > f.jpg && djpeg -dct float -pnm -outfile ref.pnm f.jpg");
  TJPEGImageExtra jpeg;
  jpeg.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
  jpeg.LoadFromFile(scratch.Path("f.jpg"));
  const TBMPImage& bitmap = jpeg.GetBitmap();
  ASSERT_EQ(bitmap.PixelFormat(), plat::TPixelFormat::pf8bit);
  EXPECT_LE(bitmap.Palette().size(), 236u);
  EXPECT_GT(bitmap.Palette().size(), 16u);
  TPnm reference = ReadPnm(ReadBytes(scratch.Path("ref.pnm")));
  int64_t total = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      plat::TColor c = bitmap.PixelColor(x, y);
      const uint8_t* p = &reference.Pixels[(static_cast<size_t>(y) * kWidth + x) * 3];
      total += std::abs(plat::GetRValue(c) - p[0]) + std::abs(plat::GetGValue(c) - p[1]) +
               std::abs(plat::GetBValue(c) - p[2]);
    }
  EXPECT_LT(total / (kWidth * kHeight * 3), 24);
}

struct TDensityCase {
  const char* name;
  const char* make;
  uint16_t x, y;
};

// Unit 1 is taken as it stands, unit 2 converted from dots per centimetre; unit 0 (an aspect
// ratio only) counts as unknown, so the EXIF resolution is used.
TEST(JpegDecode, JfifDensityUnits) {
  const TDensityCase cases[] = {
      {"dpi", "convert in.ppm -units PixelsPerInch -density 72x96 f.jpg", 72, 96},
      {"dpcm", "convert in.ppm -units PixelsPerCentimeter -density 28x40 f.jpg",
       static_cast<uint16_t>(plat::RoundHalfEven(28 * 2.54)),
       static_cast<uint16_t>(plat::RoundHalfEven(40 * 2.54))},
      {"aspect only, EXIF inches",
       "cjpeg in.ppm > f.jpg && exiftool -q -overwrite_original "
       "-XResolution=300 -YResolution=150 -ResolutionUnit=inches f.jpg",
       300, 150},
      {"aspect only, EXIF cm",
       "cjpeg in.ppm > f.jpg && exiftool -q -overwrite_original "
       "-XResolution=118 -YResolution=118 -ResolutionUnit=cm f.jpg",
       300, 300},
      {"dpi beats EXIF",
       "convert in.ppm -units PixelsPerInch -density 72x72 f.jpg && exiftool -q "
       "-overwrite_original -EXIF:XResolution=300 -EXIF:ResolutionUnit=inches f.jpg",
       72, 72},
      {"aspect only, no EXIF", "cjpeg in.ppm > f.jpg", 1, 1},
  };
  for (const TDensityCase& c : cases) {
    TScratch scratch;
    WriteTestPpm(scratch.Path("in.ppm"), 16, 16);
    Shell(scratch, c.make);
    auto owner = LoadFile(scratch.Path("f.jpg"));
    TJPEGImageExtra& jpeg = *owner;
    EXPECT_EQ(jpeg.GetXDensity(), c.x) << c.name;
    EXPECT_EQ(jpeg.GetYDensity(), c.y) << c.name;
  }
}

// Decoding skips clearing the new bitmap; when it gets the block of a picture given back just
// before, the row padding it never writes must not keep that picture's bytes.
TEST(JpegDecode, RowPaddingIsClearedInAReusedBlock) {
  constexpr int kBigWidth = 1001, kBigHeight = 1500;  // 4.5 MB, rows of 3003 bytes padded to 3004
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), kBigWidth, kBigHeight);
  Shell(scratch, "cjpeg -quality 90 in.ppm > f.jpg");
  {
    TBMPImage earlier;
    earlier.SetPixelFormat(plat::TPixelFormat::pf24bit);
    earlier.SetSize(kBigWidth, kBigHeight);
    for (int y = 0; y < kBigHeight; ++y) std::memset(earlier.ScanLine(y), 0xAB, 3004);
  }
  auto jpeg = LoadFile(scratch.Path("f.jpg"));
  const TBMPImage& bitmap = jpeg->GetBitmap();
  ASSERT_EQ(bitmap.RowBytes(), 3004);
  for (int y = 0; y < kBigHeight; ++y) ASSERT_EQ(bitmap.ScanLine(y)[3003], 0) << "row " << y;
  TPnm reference = ReadPnm(ReadBytes(
      (Shell(scratch, "djpeg -dct float -pnm -outfile ref.pnm f.jpg"), scratch.Path("ref.pnm"))));
  EXPECT_LE(LargestDifference(bitmap, reference), 2);
}

TEST(JpegDecode, FailuresAndEmptyInput) {
  TJPEGImageExtra jpeg;
  plat::TMemoryStream empty;
  jpeg.LoadFromStream(empty);
  EXPECT_EQ(jpeg.GetWidth(), 0);
  EXPECT_EQ(jpeg.GetHeight(), 0);
  try {
    jpeg.SetWidth(10);
    ADD_FAILURE();
  } catch (const plat::EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Cannot change the size of a JPEG image");
  }
  plat::TMemoryStream junk(std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x12});
  try {
    jpeg.LoadFromStream(junk);
    ADD_FAILURE();
  } catch (const EJPEG& e) {
    EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u) << e.what();
  }
  // Stored data whose length field claims more bytes than follow it.
  plat::TMemoryStream claims_more(std::vector<uint8_t>{0x10, 0, 0, 0, 0xFF, 0xD8});
  try {
    jpeg.ReadData(claims_more);
    ADD_FAILURE();
  } catch (const plat::EReadError& e) {
    EXPECT_STREQ(e.what(), "JPEG data ends early");
  }
}

}  // namespace
}  // namespace pictavo
