// Tone curves, the 3 x 3 convolution and flips.
#include <gtest/gtest.h>

#include "control/engine/raster/convolve.h"
#include "control/engine/raster/flip.h"
#include "control/engine/raster/pixels.h"
#include "control/engine/raster/selection.h"
#include "control/engine/raster/tone.h"
#include "raster_images.h"

namespace pictavo {
namespace {

using testing::Make24;
using testing::MakeIndexed;
using testing::MakeRandom24;
using testing::SetRGB;

TEST(ToneCurve, BrightnessAndContrastTable) {
  struct Case {
    uint8_t mode;
    int value;
    plat::TColor in, out;
  } cases[] = {
      {tmBrightness, 0, plat::RGB(200, 100, 50), plat::RGB(72, 0, 0)},
      {tmBrightness, 100, plat::RGB(200, 100, 50), plat::RGB(255, 228, 178)},
      {tmBrightness, 75, plat::RGB(200, 100, 50), plat::RGB(255, 164, 114)},
      {tmContrast, 100, plat::RGB(100, 155, 128), plat::RGB(35, 220, 130)},
      {tmContrast, 0, plat::RGB(100, 155, 0), plat::RGB(127, 128, 127)},
      {tmAmount, -30, plat::RGB(100, 20, 255), plat::RGB(70, 0, 225)},
      {tmPowerContrast, 50, plat::RGB(100, 155, 7), plat::RGB(100, 155, 7)},
  };
  for (const Case& c : cases) {
    TicBitmap bmp;
    Make24(bmp, 2, 1, c.in);
    ASSERT_EQ(ApplyToneCurve(bmp, c.value, true, true, true, c.mode), rcDone);
    EXPECT_EQ(bmp.PixelColor(1, 0), c.out) << int(c.mode) << " " << c.value;
  }
}

TEST(ToneCurve, MiddleValuesChangeNothing) {
  for (uint8_t mode : {tmBrightness, tmPowerContrast, tmContrast})
    for (int v = 0; v < 256; ++v) {
      const uint8_t amount = mode == tmBrightness ? 0 : 50;  // what value 50 gives each mode
      EXPECT_EQ(ToneCurve(uint8_t(v), amount, false, mode), v) << int(mode);
    }
  EXPECT_EQ(ToneCurve(0, 100, true, tmPowerContrast), 0);
  EXPECT_EQ(ToneCurve(127, 0, false, tmPowerContrast), 127);
}

TEST(ToneCurve, RejectedArgumentsLeaveTheImage) {
  TicBitmap bmp;
  Make24(bmp, 1, 1, plat::RGB(10, 20, 30));
  EXPECT_EQ(ApplyToneCurve(bmp, 101, true, true, true, tmBrightness), rcRange);
  EXPECT_EQ(ApplyToneCurve(bmp, -1, true, true, true, tmContrast), rcRange);
  EXPECT_EQ(ApplyToneCurve(bmp, 60, true, true, true, 4), rcArgument);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(10, 20, 30));
}

TEST(ToneCurve, PaletteImagesChangeOnlyThePalette) {
  TicBitmap bmp;
  MakeIndexed(bmp, 5, 2, plat::TPixelFormat::pf8bit, testing::ColourRamp(256));
  ASSERT_EQ(bmp.ColorFormat, cf256Color);
  for (int x = 0; x < 5; ++x) bmp.ScanLine(1)[x] = static_cast<uint8_t>(40 * x);
  SelectRectangle(bmp, 0, 0, 0, 0);
  SetUseSelection(bmp, true);  // the selection does not limit palette changes
  const plat::TBitmap before = bmp;
  ASSERT_EQ(ApplyToneCurve(bmp, 60, true, false, false, tmBrightness), rcDone);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(bmp.ScanLine(1)[x], before.ScanLine(1)[x]);
  for (int i = 0; i < 256; ++i) {
    const plat::TRGBQuad was = before.Palette()[i], is = bmp.Palette()[i];
    EXPECT_EQ(is.rgbRed, std::min(was.rgbRed + 25, 255)) << i;  // (60 - 50) * 128 div 50 = 25
    EXPECT_EQ(is.rgbGreen, was.rgbGreen);
    EXPECT_EQ(is.rgbBlue, was.rgbBlue);
  }
}

TEST(ToneCurve, BlackAndWhiteStaysButTwoColoursChange) {
  TicBitmap bw;
  MakeIndexed(bw, 3, 3, plat::TPixelFormat::pf1bit, {{0, 0, 0, 0}, {255, 255, 255, 0}});
  ASSERT_EQ(bw.ColorFormat, cfMonoBW);
  EXPECT_EQ(ApplyToneCurve(bw, 100, true, true, true, tmBrightness), rcDone);
  EXPECT_EQ(bw.Palette()[0].ToColor(), 0u);

  TicBitmap mono;
  MakeIndexed(mono, 3, 3, plat::TPixelFormat::pf1bit, {{10, 10, 10, 0}, {100, 100, 100, 0}});
  ASSERT_EQ(mono.ColorFormat, cfMono);
  EXPECT_EQ(ApplyToneCurve(mono, 100, true, true, true, tmBrightness), rcDone);
  EXPECT_EQ(mono.Palette()[0].ToColor(), plat::RGB(138, 138, 138));
  EXPECT_EQ(mono.Palette()[1].ToColor(), plat::RGB(228, 228, 228));
}

TEST(ToneCurve, GreyImagesChangeEveryChannel) {
  TicBitmap grey;
  plat::TColorTable greys(256);
  for (int i = 0; i < 256; ++i) greys[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  MakeIndexed(grey, 2, 2, plat::TPixelFormat::pf8bit, greys);
  ASSERT_EQ(grey.ColorFormat, cf256Grayscale);
  ApplyToneCurve(grey, 0, true, false, false, tmBrightness);
  EXPECT_EQ(grey.Palette()[200].ToColor(), plat::RGB(72, 72, 72));
}

TEST(ToneCurve, OnlySelectedPixelsOf24BitImagesChange) {
  TicBitmap bmp;
  Make24(bmp, 4, 4, plat::RGB(100, 100, 100));
  SelectRectangle(bmp, 1, 1, 2, 2);
  SetUseSelection(bmp, true);
  ApplyToneCurve(bmp, 0, true, true, true, tmBrightness);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      EXPECT_EQ(bmp.PixelColor(x, y), inside ? 0u : plat::RGB(100, 100, 100)) << x << "," << y;
    }
}

TEST(Convolution, KernelsFollowTheLevel) {
  EXPECT_EQ(SharpenKernel(5), (TKernel{{{0, -1, 0}, {-1, 10, -1}, {0, -1, 0}}}));
  EXPECT_EQ(BlurKernel(5), (TKernel{{{1, 1, 1}, {1, 11, 1}, {1, 1, 1}}}));
  EXPECT_EQ(BlurKernel(8), (TKernel{{{2, 2, 2}, {2, 5, 2}, {2, 2, 2}}}));
}

TEST(Convolution, SharpenAtEdgesAndInside) {
  TicBitmap bmp;
  Make24(bmp, 3, 3, plat::RGB(60, 60, 60));
  SetRGB(bmp, 1, 1, 120, 0, 255);
  ASSERT_EQ(Sharpen(bmp, 5), rcDone);
  // Centre: (10 * v - 4 * 60) div 6.  Edge (1, 0): (10*60 - 60 - 60 - v) div (10 - 3).
  EXPECT_EQ(bmp.PixelColor(1, 1), plat::RGB((1200 - 240) / 6, 0, 255));
  EXPECT_EQ(bmp.PixelColor(1, 0),
            plat::RGB((600 - 120 - 120) / 7, (600 - 120) / 7, (600 - 120 - 255) / 7));
  // Corner (0, 0): (10*60 - 60 - 60) div 8 = 60.
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(60, 60, 60));
}

TEST(Convolution, BlurReadsTheOriginalImage) {
  TicBitmap bmp;
  Make24(bmp, 3, 1);
  SetRGB(bmp, 0, 0, 190, 0, 0);
  ASSERT_EQ(Blur(bmp, 5), rcDone);
  // (0, 0): (11 * 190 + 0) div 12; (1, 0): (190 + 0 + 0) div 13; (2, 0): 0 div 12.
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(11 * 190 / 12, 0, 0));
  EXPECT_EQ(bmp.PixelColor(1, 0), plat::RGB(190 / 13, 0, 0));
  EXPECT_EQ(bmp.PixelColor(2, 0), 0u);
}

TEST(Convolution, NothingChangesWhereTheOperationDoesNotApply) {
  TicBitmap one;
  Make24(one, 1, 1, plat::RGB(13, 200, 77));
  EXPECT_EQ(Sharpen(one, 5), rcDone);  // only the centre weight is used
  EXPECT_EQ(one.PixelColor(0, 0), plat::RGB(13, 200, 77));

  TicBitmap bmp;
  MakeRandom24(bmp, 6, 5, 3);
  const plat::TBitmap before = bmp;
  EXPECT_EQ(Blur(bmp, 0), rcArgument);
  EXPECT_EQ(Sharpen(bmp, 11), rcArgument);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(bmp.PixelColor(x, y), before.PixelColor(x, y));

  TicBitmap indexed;
  MakeIndexed(indexed, 4, 4, plat::TPixelFormat::pf8bit, testing::ColourRamp(256));
  indexed.ScanLine(2)[2] = 9;
  EXPECT_EQ(Sharpen(indexed, 5), rcPixelFormat);
  EXPECT_EQ(indexed.ScanLine(2)[2], 9);
}

TEST(Convolution, OnlySelectedPixelsChangeAndCopiesKeepTheirs) {
  TicBitmap whole, original, bmp;
  for (TicBitmap* b : {&whole, &original, &bmp}) MakeRandom24(*b, 7, 5, 9);
  ASSERT_EQ(Sharpen(whole, 5), rcDone);
  SelectRectangle(bmp, 1, 1, 3, 2);
  SetUseSelection(bmp, true);
  const plat::TBitmap copy = bmp;  // shares the pixels until one side writes
  ASSERT_EQ(Sharpen(bmp, 5), rcDone);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 2;
      EXPECT_EQ(bmp.PixelColor(x, y), (inside ? whole : original).PixelColor(x, y))
          << x << "," << y;
      EXPECT_EQ(copy.PixelColor(x, y), original.PixelColor(x, y)) << x << "," << y;
    }
}

TEST(Convolution, ZeroWeightSumGivesZero) {
  TicBitmap bmp;
  Make24(bmp, 3, 3, plat::RGB(50, 50, 50));
  EXPECT_EQ(Convolve3x3(bmp, TKernel{{{0, 0, 0}, {1, -2, 1}, {0, 0, 0}}}), rcDone);
  EXPECT_EQ(bmp.PixelColor(1, 1), 0u);
  // At the first column the weights used are -2 and 1: (-100 + 50) div -1.
  EXPECT_EQ(bmp.PixelColor(0, 1), plat::RGB(50, 50, 50));
}

TEST(Flip, HorizontalOneBitRowOfNinePixels) {
  TicBitmap bmp;
  MakeIndexed(bmp, 9, 2, plat::TPixelFormat::pf1bit, {{0, 0, 0, 0}, {255, 255, 255, 0}});
  bmp.ScanLine(0)[0] = 0b10110000;  // pixels 0, 2, 3 set
  bmp.ScanLine(1)[1] = 0b10000000;  // pixel 8 set
  SelectRectangle(bmp, 0, 0, 3, 1);
  SetUseSelection(bmp, true);
  const plat::TBitmap before = bmp;
  ASSERT_EQ(Flip(bmp, fmHoriz), rcDone);
  EXPECT_EQ(bmp.SelectionShape(), ssNone);
  EXPECT_FALSE(bmp.UseSelection());
  for (int x = 0; x < 9; ++x)
    EXPECT_EQ(IndexAt(bmp.ScanLine(0), x, 1), IndexAt(before.ScanLine(0), 8 - x, 1)) << x;
  EXPECT_EQ(IndexAt(bmp.ScanLine(1), 0, 1), 1);
  EXPECT_EQ(bmp.ScanLine(0)[1] & 0x7F, 0);  // pad bits clear
  Flip(bmp, fmHoriz);
  for (int y = 0; y < 2; ++y)
    for (int i = 0; i < 2; ++i) EXPECT_EQ(bmp.ScanLine(y)[i], before.ScanLine(y)[i]);
}

TEST(Flip, EveryDepthMirrorsBothWays) {
  for (auto format :
       {plat::TPixelFormat::pf4bit, plat::TPixelFormat::pf8bit, plat::TPixelFormat::pf24bit}) {
    TicBitmap bmp;
    MakeIndexed(bmp, 5, 3, format, testing::ColourRamp(plat::PaletteSizeOf(format)));
    const int bits = plat::BitsPerPixel(format);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        if (bits == 24)
          SetRGB(bmp, x, y, uint8_t(x), uint8_t(y), 7);
        else
          SetIndexAt(bmp.ScanLine(y), x, bits, uint8_t(3 * y + x));
      }
    const plat::TBitmap before = bmp;
    Flip(bmp, fmHoriz);
    Flip(bmp, fmVert);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        ASSERT_EQ(bmp.PixelColor(x, y), before.PixelColor(4 - x, 2 - y)) << bits;
    Flip(bmp, 2);  // unknown mode: pixels stay
    EXPECT_EQ(bmp.PixelColor(0, 0), before.PixelColor(4, 2));
  }
}

}  // namespace
}  // namespace pictavo
