// Crop, rotate and resize of TicBitmap.
#include "control/engine/raster/geometry.h"

#include <gtest/gtest.h>

#include <climits>

#include "control/engine/raster/flip.h"
#include "control/engine/raster/pixels.h"
#include "control/engine/raster/resample.h"
#include "control/engine/raster/selection.h"
#include "raster_images.h"

namespace pictavo {
namespace {

using plat::TPixelFormat;
using testing::Make24;
using testing::MakeIndexed;
using testing::MakeRandom24;
using testing::SetRGB;

constexpr TPixelFormat kDepths[] = {TPixelFormat::pf1bit, TPixelFormat::pf4bit,
                                    TPixelFormat::pf8bit, TPixelFormat::pf24bit};

// A W x H image of the given depth whose pixels differ as far as the depth allows.
void MakePattern(TicBitmap& bmp, int w, int h, TPixelFormat format) {
  const int bits = plat::BitsPerPixel(format);
  if (bits == 24) {
    MakeRandom24(bmp, w, h, 11);
    return;
  }
  MakeIndexed(bmp, w, h, format, testing::ColourRamp(plat::PaletteSizeOf(format)));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      SetIndexAt(bmp.ScanLine(y), x, bits,
                 static_cast<uint8_t>((7 * x + 3 * y + x * y) % (1 << bits)));
}

TEST(Rotate, QuarterTurnsMapPixelsAtEveryDepth) {
  struct Case {
    float angle;
    bool ninety;
  } cases[] = {{90, true}, {450, true}, {-270, true}, {270, false}, {-90, false}, {630, false}};
  for (TPixelFormat format : kDepths)
    for (const Case& c : cases) {
      TicBitmap bmp;
      MakePattern(bmp, 5, 3, format);
      bmp.SetXPelsPerMeter(100);
      bmp.SetYPelsPerMeter(200);
      SelectRectangle(bmp, 0, 0, 1, 1);
      const plat::TBitmap old = bmp;
      Rotate(bmp, false, plat::RGB(1, 2, 3), c.angle);
      ASSERT_EQ(bmp.Width(), 3);
      ASSERT_EQ(bmp.Height(), 5);
      EXPECT_EQ(bmp.PixelFormat(), format);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) {
          const plat::TColor want =
              c.ninety ? old.PixelColor(5 - 1 - y, x) : old.PixelColor(y, 3 - 1 - x);
          ASSERT_EQ(bmp.PixelColor(x, y), want)
              << c.angle << " bits " << plat::BitsPerPixel(format);
        }
      EXPECT_EQ(bmp.GetXPelsPerMeter(), 200);
      EXPECT_EQ(bmp.GetYPelsPerMeter(), 100);
      EXPECT_EQ(bmp.BGColor, plat::RGB(1, 2, 3));
      EXPECT_EQ(bmp.SelectionShape(), ssNone);
    }
}

// Larger than the blocks the copy works in, and no side a multiple of them: every pixel lands
// where the turn puts it, and the bytes after each new row's last pixel stay 0.
TEST(Rotate, QuarterTurnsOfLargeImagesMapEveryPixelAndKeepRowPaddingClear) {
  const std::pair<int, int> sizes[] = {{150, 70}, {67, 131}};
  for (TPixelFormat format : kDepths)
    for (auto [w, h] : sizes)
      for (float angle : {90.0f, 270.0f}) {
        TicBitmap bmp;
        MakePattern(bmp, w, h, format);
        const plat::TBitmap old = bmp;
        Rotate(bmp, false, 0, angle);
        ASSERT_EQ(bmp.Width(), h);
        ASSERT_EQ(bmp.Height(), w);
        const int64_t used = DataBytesPerRow(h, plat::BitsPerPixel(format));
        for (int y = 0; y < w; ++y) {
          for (int x = 0; x < h; ++x) {
            const plat::TColor want =
                angle == 90 ? old.PixelColor(w - 1 - y, x) : old.PixelColor(y, h - 1 - x);
            ASSERT_EQ(bmp.PixelColor(x, y), want) << angle << " " << w << "x" << h;
          }
          for (int64_t i = used; i < bmp.RowBytes(); ++i) ASSERT_EQ(bmp.ScanLine(y)[i], 0);
        }
      }
}

TEST(Rotate, NinetyMovesTheTopRightPixelToTopLeft) {
  TicBitmap bmp;
  Make24(bmp, 3, 2);
  SetRGB(bmp, 2, 0, 9, 8, 7);
  Rotate(bmp, true, 0, 90);
  ASSERT_EQ(bmp.Width(), 2);
  ASSERT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(9, 8, 7));
}

TEST(Rotate, FullTurnsDoNothingAndKeepTheSelection) {
  for (float angle : {0.0f, 360.0f, -360.0f, 720.0f}) {
    TicBitmap bmp;
    MakeRandom24(bmp, 4, 3, 1);
    bmp.BGColor = 0x123456;
    SelectRectangle(bmp, 0, 0, 1, 1);
    const plat::TBitmap before = bmp;
    Rotate(bmp, true, 0, angle);
    EXPECT_EQ(bmp.SelectionShape(), ssRectangle) << angle;
    EXPECT_EQ(bmp.BGColor, 0x123456u);
    EXPECT_EQ(bmp.PixelColor(3, 2), before.PixelColor(3, 2));
  }
}

TEST(Rotate, HalfTurnIsBothFlips) {
  for (TPixelFormat format : kDepths) {
    TicBitmap bmp;
    MakePattern(bmp, 7, 4, format);
    const plat::TBitmap old = bmp;
    Rotate(bmp, false, 0, -180);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(bmp.PixelColor(x, y), old.PixelColor(6 - x, 3 - y));
  }
}

TEST(Rotate, FortyFiveDegreesGrowsTheImageAndFillsTheCorners) {
  TicBitmap bmp;
  Make24(bmp, 100, 100, plat::RGB(200, 100, 50));
  Rotate(bmp, false, plat::RGB(0, 0, 255), 45);
  EXPECT_EQ(bmp.Width(), 141);
  EXPECT_EQ(bmp.Height(), 141);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(0, 0, 255));
  EXPECT_EQ(bmp.PixelColor(70, 70), plat::RGB(200, 100, 50));
  EXPECT_EQ(bmp.BGColor, plat::RGB(0, 0, 255));

  TicBitmap indexed;
  plat::TColorTable palette = testing::ColourRamp(256);
  palette[5] = plat::TRGBQuad::FromColor(plat::RGB(1, 2, 3));
  palette[9] = plat::TRGBQuad::FromColor(plat::RGB(1, 2, 3));
  MakeIndexed(indexed, 20, 10, TPixelFormat::pf8bit, palette);
  Rotate(indexed, false, plat::RGB(1, 2, 3), 30);
  EXPECT_EQ(indexed.ScanLine(0)[0], 5);  // the first entry of exactly that colour
  Rotate(indexed, false, 0x0000FE, 30);
  EXPECT_EQ(indexed.ScanLine(0)[0], 0);  // no such entry
}

TEST(Rotate, SmoothRotationOfAUniformImageWithTheSameFillStaysUniform) {
  TicBitmap bmp;
  Make24(bmp, 31, 17, plat::RGB(90, 180, 33));
  Rotate(bmp, true, plat::RGB(90, 180, 33), 33.3f);
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      ASSERT_NEAR(plat::GetGValue(bmp.PixelColor(x, y)), 180, 1) << x << "," << y;
}

TEST(Rotate, BilinearSampleLeftOfAndAboveTheImage) {
  plat::TBitmap src(2, 2, TPixelFormat::pf24bit);
  SetRGB(src, 0, 0, 200, 0, 0);
  uint8_t out[3];
  // A quarter pixel left of column 0: three quarters of column 0, one quarter fill.
  BilinearSample(src, -0.25f, 0.0f, plat::RGB(0, 0, 0), out);
  EXPECT_EQ(out[2], 150);
  BilinearSample(src, 0.0f, -0.5f, plat::RGB(0, 0, 100), out);
  EXPECT_EQ(out[2], 100);
  EXPECT_EQ(out[0], 50);  // half of the blue fill
  BilinearSample(src, 0.5f, 0.0f, 0, out);
  EXPECT_EQ(out[2], 100);
}

TEST(Rotate, DegenerateImagesNeitherHangNorCrash) {
  for (float angle : {1.0f, 45.0f, 90.0f, 180.0f, 359.0f}) {
    TicBitmap one;
    Make24(one, 1, 1, 0x0000FF);
    Rotate(one, true, 0, angle);
    EXPECT_GE(one.Width(), 1);
    TicBitmap empty;
    Make24(empty, 0, 0);
    Rotate(empty, false, 0, angle);
    EXPECT_TRUE(empty.GetEmpty());
  }
}

TEST(Resize, AZeroSideFollowsTheAspectRatio) {
  TicBitmap bmp;
  Make24(bmp, 200, 100, 0x336699);
  Resize(bmp, 0, 50, 1, true);
  EXPECT_EQ(bmp.Width(), 100);
  EXPECT_EQ(bmp.Height(), 50);
  Resize(bmp, 30, 0, 1, false);
  EXPECT_EQ(bmp.Width(), 30);
  EXPECT_EQ(bmp.Height(), 15);
  EXPECT_EQ(bmp.PixelColor(29, 14), 0x336699u);
}

TEST(Resize, BothZeroOnlyCancelsTheSelection) {
  TicBitmap bmp;
  Make24(bmp, 20, 10);
  SelectRectangle(bmp, 1, 1, 5, 5);
  Resize(bmp, 0, 0, 1, true);
  EXPECT_EQ(bmp.Width(), 20);
  EXPECT_EQ(bmp.SelectionShape(), ssNone);
}

TEST(Resize, KeepsTheImageFieldsAndCancelsTheSelection) {
  TicBitmap bmp;
  MakeIndexed(bmp, 40, 30, TPixelFormat::pf8bit, testing::ColourRamp(256));
  bmp.SetXPelsPerMeter(3780);
  bmp.SetYPelsPerMeter(1000);
  bmp.BGColor = 0x0000FF;
  bmp.Transparent = true;
  SelectEllipse(bmp, 0, 0, 9, 9);
  Resize(bmp, 80, 60, 3, false);  // large enough to stay unfiltered: palette kept
  EXPECT_EQ(bmp.PixelFormat(), TPixelFormat::pf8bit);
  EXPECT_EQ(bmp.Palette()[17].ToColor(), testing::ColourRamp(256)[17].ToColor());
  EXPECT_EQ(bmp.GetXPelsPerMeter(), 3780);
  EXPECT_EQ(bmp.GetYPelsPerMeter(), 1000);
  EXPECT_EQ(bmp.BGColor, 0x0000FFu);
  EXPECT_TRUE(bmp.Transparent);
  EXPECT_EQ(bmp.SelectionShape(), ssNone);
  Resize(bmp, 20, 15, 3, true);
  EXPECT_EQ(bmp.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(bmp.ColorFormat, cf24bit);
}

TEST(Resize, StepwiseShrinkEndsAtTheTarget) {
  TicBitmap bmp;
  MakeRandom24(bmp, 1000, 800, 4);
  Resize(bmp, 100, 80, 2, true);
  EXPECT_EQ(bmp.Width(), 100);
  EXPECT_EQ(bmp.Height(), 80);
}

TEST(Resize, DegenerateSizesNeitherHangNorCrash) {
  struct Case {
    int srcW, srcH, w, h, wantW, wantH;
  } cases[] = {
      {1, 100, 0, 1, 1, 1}, {100, 1, 1, 0, 1, 1},  {3, 3, 1, 1, 1, 1},   {1, 1, 1000, 1, 1000, 1},
      {1, 1, 0, 7, 7, 7},   {5, 300, 1, 0, 1, 60}, {300, 2, 1, 1, 1, 1}, {2, 2, 1, 300, 1, 300},
  };
  for (const Case& c : cases)
    for (int filter = 0; filter < kFilterCount; ++filter)
      for (bool resample : {false, true}) {
        TicBitmap bmp;
        MakeRandom24(bmp, c.srcW, c.srcH, 2);
        Resize(bmp, c.w, c.h, filter, resample);
        ASSERT_EQ(bmp.Width(), c.wantW) << c.srcW << "x" << c.srcH << " " << filter;
        ASSERT_EQ(bmp.Height(), c.wantH) << c.srcW << "x" << c.srcH << " " << filter;
      }
}

TEST(Resize, ImpossibleSizesAreRefusedAndTheImageStays) {
  TicBitmap bmp;
  Make24(bmp, 10, 10, 0x010203);
  EXPECT_THROW(Resize(bmp, -1, 5, 1, true), plat::EInvalidGraphicOperation);
  EXPECT_THROW(Resize(bmp, 5, -5, 1, false), plat::EInvalidGraphicOperation);
  EXPECT_THROW(Resize(bmp, INT_MAX, 0, 1, true), plat::EOutOfMemory);
  EXPECT_THROW(Resize(bmp, 100000, 100000, 1, true), plat::EOutOfMemory);
  EXPECT_EQ(bmp.Width(), 10);
  EXPECT_EQ(bmp.PixelColor(9, 9), 0x010203u);

  TicBitmap empty;
  Make24(empty, 0, 0);
  try {
    Resize(empty, 0, 10, 1, true);
    FAIL() << "no exception";
  } catch (const plat::Exception& e) {
    EXPECT_EQ(e.Message(), "Source bitmap too small");
  }
}

TEST(Crop, RectangleReachingOutsideIsFilledWithTheBackground) {
  TicBitmap bmp;
  Make24(bmp, 5, 5, plat::RGB(10, 20, 30));
  bmp.BGColor = plat::RGB(250, 0, 0);
  Crop(bmp, -10, -10, 9, 9);
  ASSERT_EQ(bmp.Width(), 20);
  ASSERT_EQ(bmp.Height(), 20);
  EXPECT_EQ(bmp.PixelColor(10, 10), plat::RGB(10, 20, 30));
  EXPECT_EQ(bmp.PixelColor(14, 14), plat::RGB(10, 20, 30));
  EXPECT_EQ(bmp.PixelColor(9, 10), plat::RGB(250, 0, 0));
  EXPECT_EQ(bmp.PixelColor(15, 15), plat::RGB(250, 0, 0));
}

TEST(Crop, PaletteImagesMovePixelsAndFillWithTheNearestEntry) {
  for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit}) {
    TicBitmap bmp;
    MakePattern(bmp, 13, 4, format);
    bmp.BGColor = bmp.Palette()[1].ToColor();
    const plat::TBitmap old = bmp;
    Crop(bmp, 3, 1, 15, 2);
    ASSERT_EQ(bmp.Width(), 13);
    ASSERT_EQ(bmp.Height(), 2);
    const int bits = plat::BitsPerPixel(format);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 13; ++x) {
        const uint8_t want = x + 3 < 13 ? IndexAt(old.ScanLine(y + 1), x + 3, bits) : 1;
        ASSERT_EQ(IndexAt(bmp.ScanLine(y), x, bits), want) << bits << " " << x << "," << y;
      }
  }
}

// The bounds are inclusive, yet the first must lie below the second: equal bounds crop nothing.
TEST(Crop, EqualBoundsChangeNothingButTwoColumnsCrop) {
  TicBitmap bmp;
  MakeRandom24(bmp, 6, 4, 8);
  const plat::TBitmap old = bmp;
  Crop(bmp, 0, 0, 0, 10);
  Crop(bmp, 2, 0, 2, 3);
  Crop(bmp, 0, 3, 5, 3);
  ASSERT_EQ(bmp.Width(), 6);
  ASSERT_EQ(bmp.Height(), 4);
  Crop(bmp, 2, 0, 3, 3);
  ASSERT_EQ(bmp.Width(), 2);
  ASSERT_EQ(bmp.Height(), 4);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(bmp.PixelColor(1, y), old.PixelColor(3, y));
}

TEST(Crop, RectanglesThatSelectNothingOnlyCancelTheSelection) {
  struct Case {
    int x1, y1, x2, y2;
  } cases[] = {{3, 0, 2, 3}, {0, 3, 3, 2}, {6, 0, 9, 3}, {0, 4, 3, 9}};
  for (const Case& c : cases) {
    TicBitmap bmp;
    Make24(bmp, 6, 4);
    SelectRectangle(bmp, 0, 0, 1, 1);
    Crop(bmp, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(bmp.Width(), 6);
    EXPECT_EQ(bmp.Height(), 4);
    EXPECT_EQ(bmp.SelectionShape(), ssNone);
  }
}

TEST(Crop, OversizedRectangleIsRefused) {
  TicBitmap bmp;
  Make24(bmp, 6, 4);
  EXPECT_THROW(Crop(bmp, INT_MIN, INT_MIN, INT_MAX, INT_MAX), plat::EOutOfMemory);
  EXPECT_EQ(bmp.Width(), 6);
}

}  // namespace
}  // namespace pictavo
