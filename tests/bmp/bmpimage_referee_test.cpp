// Files TBMPImage writes, read by ImageMagick: same size, same pixels, same resolution.
#include <gtest/gtest.h>

#include <cstdio>

#include "control/formats/bmp/bmpimage.h"
#include "graphics/referee.h"

namespace pictavo {
namespace {

using plat::TPixelFormat;

TBMPImage Picture(TPixelFormat format) {
  TBMPImage image;
  image.SetPixelFormat(TPixelFormat::pf24bit);
  image.SetSize(29, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 29; ++x) {
      uint8_t* p = image.ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 9);
      p[1] = static_cast<uint8_t>(y * 40);
      p[2] = static_cast<uint8_t>((x * y * 13) & 0xFF);
    }
  image.SetPixelFormat(format);
  return image;
}

class WrittenFile : public testing::TestWithParam<TPixelFormat> {};

TEST_P(WrittenFile, ImageMagickReadsOurPixelsAndResolution) {
  TBMPImage image = Picture(GetParam());
  image.SetXPelsPerMeter(3780);
  image.SetYPelsPerMeter(1181);
  velmora_test::ScratchDir dir;
  const std::string path = dir.File("ours.bmp");
  image.SaveToFile(path);

  const velmora_test::RgbaImage theirs = velmora_test::ReadWithImageMagick(dir, path);
  ASSERT_EQ(theirs.width, image.Width());
  ASSERT_EQ(theirs.height, image.Height());
  int differences = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      const plat::TColor c = image.PixelColor(x, y);
      const uint8_t* p = theirs.At(x, y);
      differences +=
          plat::GetRValue(c) != p[0] || plat::GetGValue(c) != p[1] || plat::GetBValue(c) != p[2];
    }
  EXPECT_EQ(differences, 0);

  double x_res = 0, y_res = 0;
  char units[64] = {};
  const std::string res =
      velmora_test::Capture("identify -format '%x %y %U' '" + path + "' 2>/dev/null");
  ASSERT_EQ(std::sscanf(res.c_str(), "%lf %lf %63s", &x_res, &y_res, units), 3) << res;
  EXPECT_STREQ(units, "PixelsPerCentimeter");
  EXPECT_NEAR(x_res, 37.80, 0.005);
  EXPECT_NEAR(y_res, 11.81, 0.005);
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenFile,
                         testing::Values(TPixelFormat::pf1bit, TPixelFormat::pf4bit,
                                         TPixelFormat::pf8bit, TPixelFormat::pf16bit,
                                         TPixelFormat::pf24bit, TPixelFormat::pf32bit));

}  // namespace
}  // namespace pictavo
