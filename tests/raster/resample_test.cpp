#include "control/engine/raster/resample.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/base/exceptions.h"

namespace pictavo {
namespace {

plat::TBitmap RandomImage(int w, int h, unsigned seed) {
  plat::TBitmap bmp(w, h, plat::TPixelFormat::pf24bit);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) bmp.ScanLine(y)[x] = static_cast<uint8_t>(rng());
  return bmp;
}

plat::TBitmap Uniform(int w, int h, uint8_t v) {
  plat::TBitmap bmp(w, h, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) bmp.ScanLine(y)[x] = v;
  return bmp;
}

TEST(Filters, TableHoldsTheSevenKernelsAndFallsBackToTriangle) {
  const char* names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
  const float supports[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
  for (int i = 0; i < kFilterCount; ++i) {
    EXPECT_EQ(FilterByIndex(i).name, names[i]);
    EXPECT_EQ(FilterByIndex(i).support, supports[i]);
    EXPECT_EQ(FilterByIndex(i).kernel(supports[i] + 0.01f), 0.0f) << names[i];
  }
  EXPECT_EQ(FilterByIndex(7).name, "Triangle");
  EXPECT_EQ(FilterByIndex(-1).name, "Triangle");
}

TEST(Filters, KernelValuesAtSamplePoints) {
  struct Case {
    int filter;
    float x, expected;
  } cases[] = {
      {0, 0.5f, 1.0f},  {0, -0.5f, 0.0f},         {1, 0.25f, 0.75f},       {2, 0.5f, 0.5f},
      {3, 0.0f, 0.75f}, {3, 1.0f, 0.125f},        {4, 0.0f, 2.0f / 3.0f},  {4, 1.0f, 1.0f / 6.0f},
      {5, 0.0f, 1.0f},  {6, 0.0f, 16.0f / 18.0f}, {6, 1.0f, 1.0f / 18.0f},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(FilterByIndex(c.filter).kernel(c.x), c.expected, 1e-5) << c.filter << " " << c.x;
  EXPECT_NEAR(FilterByIndex(5).kernel(1.0f), 0.0f, 1e-6);
}

TEST(ShrinkSteps, GoesDownBySixTenthsUntilTheTarget) {
  const std::vector<std::pair<int, int>> expected = {
      {600, 480}, {360, 288}, {216, 173}, {130, 104}, {100, 80}};
  EXPECT_EQ(ShrinkSteps(1000, 800, 100, 80), expected);
}

TEST(ShrinkSteps, EndsForTheSmallestTargets) {
  EXPECT_EQ(ShrinkSteps(3, 3, 1, 1).back(), (std::pair<int, int>{1, 1}));
  EXPECT_EQ(ShrinkSteps(100000, 2, 1, 1).back(), (std::pair<int, int>{1, 1}));
  EXPECT_LE(ShrinkSteps(100000, 2, 0, 0).size(), 40u);
}

TEST(FilteredStretch, SameSizeInterpolatingKernelsKeepTheImage) {
  const plat::TBitmap src = RandomImage(13, 7, 1);
  for (int f : {0, 1, 2, 5}) {
    plat::TBitmap dst(13, 7, plat::TPixelFormat::pf24bit);
    FilteredStretch(src, dst, FilterByIndex(f));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 39; ++x)
        ASSERT_EQ(dst.ScanLine(y)[x], src.ScanLine(y)[x]) << FilterByIndex(f).name;
  }
}

TEST(FilteredStretch, UniformImageStaysUniformAtEverySize) {
  const plat::TBitmap src = Uniform(40, 30, 100);
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 30}, {40, 1}, {17, 9}, {97, 61}, {3, 200}};
  for (int f = 0; f < kFilterCount; ++f) {
    const int tolerance = f == 5 ? 3 : 0;  // Lanczos weights sum to 1 only near whole steps
    for (auto [w, h] : sizes) {
      plat::TBitmap dst(w, h, plat::TPixelFormat::pf24bit);
      FilteredStretch(src, dst, FilterByIndex(f));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x)
          ASSERT_NEAR(dst.ScanLine(y)[x], 100, tolerance)
              << FilterByIndex(f).name << " " << w << "x" << h;
    }
  }
}

// Blue varies from pixel to pixel, green and red are fixed: no blue may leak into its
// neighbours, at widths whose rows end inside a block of the sums and at the image's edges.
TEST(FilteredStretch, ChannelsAreResampledApart) {
  plat::TBitmap src = RandomImage(45, 33, 7);
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      src.ScanLine(y)[3 * x + 1] = 0;
      src.ScanLine(y)[3 * x + 2] = 255;
    }
  const std::pair<int, int> sizes[] = {{1, 1}, {7, 5}, {27, 20}, {45, 33}, {101, 70}};
  for (int f = 0; f < kFilterCount; ++f) {
    const int tolerance = f == 5 ? 3 : 0;  // as for a uniform image
    for (auto [w, h] : sizes) {
      plat::TBitmap dst(w, h, plat::TPixelFormat::pf24bit);
      FilteredStretch(src, dst, FilterByIndex(f));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(dst.ScanLine(y)[3 * x + 1], 0) << FilterByIndex(f).name << " " << w;
          ASSERT_NEAR(dst.ScanLine(y)[3 * x + 2], 255, tolerance)
              << FilterByIndex(f).name << " " << w;
        }
    }
  }
}

TEST(FilteredStretch, OnePixelSourceFillsTheDestination) {
  plat::TBitmap src = Uniform(1, 1, 0);
  src.ScanLine(0)[0] = 10;
  src.ScanLine(0)[1] = 20;
  src.ScanLine(0)[2] = 30;
  plat::TBitmap dst(3, 4, plat::TPixelFormat::pf24bit);
  FilteredStretch(src, dst, FilterByIndex(1));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.PixelColor(x, y), plat::RGB(30, 20, 10));
}

TEST(FilteredStretch, EmptySourceIsRefused) {
  plat::TBitmap src(0, 5, plat::TPixelFormat::pf24bit);
  plat::TBitmap dst(3, 3, plat::TPixelFormat::pf24bit);
  try {
    FilteredStretch(src, dst, FilterByIndex(1));
    FAIL() << "no exception";
  } catch (const plat::Exception& e) {
    EXPECT_EQ(e.Message(), "Source bitmap too small");
  }
}

TEST(FilteredStretch, PaletteSourceIsResampledInColour) {
  plat::TBitmap src(2, 1, plat::TPixelFormat::pf8bit);
  src.SetColorTable({{0, 0, 0, 0}, {0, 0, 200, 0}});
  src.ScanLine(0)[0] = 1;
  src.ScanLine(0)[1] = 1;
  plat::TBitmap dst(4, 2, plat::TPixelFormat::pf24bit);
  FilteredStretch(src, dst, FilterByIndex(1));
  EXPECT_EQ(dst.PixelFormat(), plat::TPixelFormat::pf24bit);
  EXPECT_EQ(dst.PixelColor(3, 1), plat::RGB(200, 0, 0));
}

TEST(Stretch, PlainStretchKeepsPaletteIndices) {
  plat::TBitmap src(2, 2, plat::TPixelFormat::pf4bit);
  src.SetColorTable(plat::TColorTable(16));
  src.ScanLine(0)[0] = 0x3A;  // pixels 3, 10
  src.ScanLine(1)[0] = 0x5C;  // pixels 5, 12
  plat::TBitmap result;
  Stretch(4, 4, result, 1, false, src);
  ASSERT_EQ(result.PixelFormat(), plat::TPixelFormat::pf4bit);
  ASSERT_EQ(result.Width(), 4);
  EXPECT_EQ(result.ScanLine(0)[0], 0x33);
  EXPECT_EQ(result.ScanLine(1)[1], 0xAA);
  EXPECT_EQ(result.ScanLine(3)[0], 0x55);
  EXPECT_EQ(result.ScanLine(2)[1], 0xCC);
}

TEST(Stretch, PlainShrinkOf24BitAveragesTheCoveredPixels) {
  plat::TBitmap src = Uniform(4, 2, 0);
  for (int x = 0; x < 4; ++x) src.ScanLine(0)[3 * x] = static_cast<uint8_t>(40 * x);
  plat::TBitmap result;
  Stretch(2, 1, result, 1, false, src);
  ASSERT_EQ(result.Width(), 2);
  EXPECT_EQ(result.ScanLine(0)[0], 10);  // (0 + 40 + 0 + 0) / 4
  EXPECT_EQ(result.ScanLine(0)[3], 50);  // (80 + 120) / 4
}

TEST(Stretch, FilteredShrinkReachesTheTargetSize) {
  const plat::TBitmap src = RandomImage(1000, 800, 2);
  plat::TBitmap result;
  Stretch(100, 80, result, 2, true, src);
  EXPECT_EQ(result.Width(), 100);
  EXPECT_EQ(result.Height(), 80);
  EXPECT_EQ(result.PixelFormat(), plat::TPixelFormat::pf24bit);
}

}  // namespace
}  // namespace pictavo
