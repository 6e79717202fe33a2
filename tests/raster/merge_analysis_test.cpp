// Merging a second bitmap, colour counts, inversion, the blank test and the circle through three
// points, on small images whose every pixel is known.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "control/engine/raster/analysis.h"
#include "control/engine/raster/merge.h"
#include "platform/graphics/pixel_access.h"
#include "tests/raster/raster_images.h"

namespace pictavo {
namespace {

using plat::RGB;
using plat::TPixelFormat;
using testing::Make24;
using testing::MakeIndexed;

constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kBlack = 0;

// An overlay whose pixel (column c, row r) is RGB(40 c, 40 r, 7), so a merged pixel names the
// overlay pixel it came from.
plat::TBitmap Grid(int w, int h) {
  plat::TBitmap grid(w, h, TPixelFormat::pf24bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) grid.SetPixelColor(x, y, RGB(40 * x, 40 * y, 7));
  return grid;
}
plat::TColor GridColour(int column, int row) {
  return RGB(40 * column, 40 * row, 7);
}

plat::TBitmap Solid(int w, int h, plat::TColor colour, TPixelFormat f = TPixelFormat::pf24bit) {
  plat::TBitmap solid(w, h, f);
  solid.FillRect({0, 0, w, h}, colour);
  return solid;
}

struct BlendCase {
  const char* name;
  double transparency;
  bool key;
  plat::TColor key_colour;
  plat::TColor expected;  // black overlay on a white base
};

TEST(MergeImage, BlendsByTransparencyAndSkipsTheKeyColour) {
  const BlendCase cases[] = {
      {"opaque copies the overlay", 0, false, kWhite, kBlack},
      {"half way gives 128", 50, false, kWhite, RGB(128, 128, 128)},
      {"fully transparent keeps the base", 100, false, kWhite, kWhite},
      {"the key colour keeps the base", 0, true, kBlack, kWhite},
      {"another key colour blends", 0, true, RGB(1, 0, 0), kBlack},
      {"beyond 100 stays in range", 150, false, kWhite, kWhite},
      {"below 0 stays in range", -50, false, kWhite, kBlack},
  };
  for (const BlendCase& c : cases) {
    TicBitmap base;
    Make24(base, 2, 2, kWhite);
    TMergeOptions options;
    options.transparency = c.transparency;
    options.transparent = c.key;
    options.transparent_color = c.key_colour;
    EXPECT_EQ(MergeImage(base, Solid(2, 2, kBlack), options), rcDone) << c.name;
    EXPECT_EQ(base.PixelColor(1, 1), c.expected) << c.name;
  }
}

TEST(MergeImage, SinglePlacesAtTheOffsetAndCutsAtTheEdges) {
  TicBitmap base;
  Make24(base, 4, 4, kWhite);
  TMergeOptions options;
  options.left = -1;
  options.top = -1;
  MergeImage(base, Grid(3, 3), options);
  EXPECT_EQ(base.PixelColor(0, 0), GridColour(1, 1));
  EXPECT_EQ(base.PixelColor(1, 1), GridColour(2, 2));
  EXPECT_EQ(base.PixelColor(1, 0), GridColour(2, 1));
  EXPECT_EQ(base.PixelColor(2, 2), kWhite);
  EXPECT_EQ(base.PixelColor(2, 0), kWhite);

  options.left = 3;
  options.top = 3;
  MergeImage(base, Grid(3, 3), options);
  EXPECT_EQ(base.PixelColor(3, 3), GridColour(0, 0));
}

TEST(MergeImage, CentreShowsTheMiddleOfAWiderOverlay) {
  TicBitmap base;
  Make24(base, 3, 3, kWhite);
  TMergeOptions options;
  options.style = wmCentre;
  options.left = 100;  // ignored
  MergeImage(base, Grid(5, 1), options);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(base.PixelColor(x, 1), GridColour(x + 1, 0)) << x;
  EXPECT_EQ(base.PixelColor(0, 0), kWhite);
}

TEST(MergeImage, TileRepeatsAndWrapContinuesTheStripInTheNextBand) {
  struct Case {
    uint8_t style;
    int first_column[3];  // overlay column at base column 0 in bands 0, 1, 2
  };
  for (const Case& c : {Case{wmTile, {0, 0, 0}}, Case{wmWrap, {0, 1, 2}}, Case{7, {0, 0, 0}}}) {
    TicBitmap base;
    Make24(base, 7, 7, kWhite);
    TMergeOptions options;
    options.style = c.style;
    MergeImage(base, Grid(3, 3), options);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
        EXPECT_EQ(base.PixelColor(x, y), GridColour((c.first_column[y / 3] + x) % 3, y % 3))
            << int{c.style} << " at " << x << "," << y;
  }
}

TEST(MergeImage, EmptyOverlayOrNoImageChangesNothing) {
  TicBitmap base;
  Make24(base, 3, 3, kWhite);
  for (uint8_t style : {wmCentre, wmSingle, wmTile, wmWrap}) {
    TMergeOptions options;
    options.style = style;
    EXPECT_EQ(MergeImage(base, plat::TBitmap(0, 3, TPixelFormat::pf24bit), options), rcDone);
    EXPECT_EQ(MergeImage(base, plat::TBitmap(3, 0, TPixelFormat::pf24bit), options), rcDone);
  }
  EXPECT_EQ(base.PixelColor(1, 1), kWhite);
  TicBitmap none;
  EXPECT_EQ(MergeImage(none, Solid(1, 1, kBlack), {}), rcPixelFormat);
}

TEST(MergeImage, DirectColourOverlaysOfOtherDepthsAreRead) {
  for (TPixelFormat f : {TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pf32bit}) {
    TicBitmap base;
    Make24(base, 2, 2, kWhite);
    MergeImage(base, Solid(2, 2, kBlack, f), {});
    EXPECT_EQ(base.PixelColor(0, 0), kBlack) << static_cast<int>(f);
  }
}

TEST(MergeImage, MonoBaseStaysOneBitUnderBothPalettePolarities) {
  for (bool white_first : {false, true}) {
    const plat::TColorTable palette = white_first
                                          ? plat::TColorTable{{255, 255, 255, 0}, {0, 0, 0, 0}}
                                          : plat::TColorTable{{0, 0, 0, 0}, {255, 255, 255, 0}};
    TicBitmap base;
    MakeIndexed(base, 3, 1, TPixelFormat::pf1bit, palette);
    base.FillRect({0, 0, 3, 1}, kWhite);
    ASSERT_EQ(base.ColorFormat, cfMonoBW);
    plat::TBitmap overlay(3, 1, TPixelFormat::pf24bit);
    overlay.SetPixelColor(0, 0, RGB(0, 0, 0));
    overlay.SetPixelColor(1, 0, RGB(200, 200, 200));
    overlay.SetPixelColor(2, 0, RGB(100, 100, 100));
    MergeImage(base, overlay, {});
    EXPECT_EQ(base.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(base.ColorFormat, cfMonoBW);
    EXPECT_EQ(base.PixelColor(0, 0), kBlack) << white_first;
    EXPECT_EQ(base.PixelColor(1, 0), kWhite) << white_first;
    EXPECT_EQ(base.PixelColor(2, 0), kBlack) << white_first;
  }
}

TEST(MergeImage, IndexedBaseComesBackInItsColourFormat) {
  TicBitmap base;
  MakeIndexed(base, 4, 4, TPixelFormat::pf8bit, testing::ColourRamp(256));
  const uint8_t format = base.ColorFormat;
  ASSERT_EQ(format, cf256Color);
  MergeImage(base, Solid(2, 2, RGB(0, 255, 0)), {});
  EXPECT_EQ(base.ColorFormat, cf256Color);
  EXPECT_EQ(base.PixelFormat(), TPixelFormat::pf8bit);
}

// Random indices (or bytes) under a colour ramp.
void MakeRandom(TicBitmap& image, TPixelFormat f, unsigned seed) {
  if (f == TPixelFormat::pf24bit) return testing::MakeRandom24(image, 9, 5, seed);
  MakeIndexed(image, 9, 5, f, testing::ColourRamp(plat::PaletteSizeOf(f)));
  std::mt19937 rng(seed);
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < 9; ++x)
      plat::SetIndexAt(image.ScanLine(y), x, plat::BitsPerPixel(f), static_cast<uint8_t>(rng()));
}

TEST(Invert, ComplementsEachPixelAndTwiceRestoresPixelsAndPalette) {
  for (TPixelFormat f :
       {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit}) {
    TicBitmap image;
    MakeRandom(image, f, 7);
    const TicBitmap before(image);
    Invert(image);
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) {
        const plat::TColor was = before.PixelColor(x, y);
        if (f == TPixelFormat::pf1bit)  // the palette stays, so the pixel takes the other entry
          EXPECT_NE(image.PixelColor(x, y), was);
        else
          EXPECT_EQ(image.PixelColor(x, y), ~was & 0xFFFFFF) << x << "," << y;
      }
    Invert(image);
    EXPECT_EQ(image.Palette(), before.Palette());
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        ASSERT_EQ(image.PixelColor(x, y), before.PixelColor(x, y));
  }
}

TEST(ColorCount, CountsEveryEntryOfTheColourAtEachDepth) {
  const plat::TColor wanted = RGB(10, 20, 30);
  for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit}) {
    const int entries = plat::PaletteSizeOf(f);
    plat::TColorTable palette = testing::ColourRamp(entries);
    palette.front() = palette.back() = plat::TRGBQuad::FromColor(wanted);
    if (entries > 2) palette[1] = plat::TRGBQuad::FromColor(RGB(10, 20, 31));
    TicBitmap image;
    MakeIndexed(image, 5, 2, f, palette);  // all index 0
    const int bits = plat::BitsPerPixel(f);
    plat::SetIndexAt(image.ScanLine(1), 0, bits, static_cast<uint8_t>(entries - 1));
    plat::SetIndexAt(image.ScanLine(1), 1, bits, static_cast<uint8_t>(entries - 1));
    if (f != TPixelFormat::pf1bit) plat::SetIndexAt(image.ScanLine(1), 2, bits, 1);
    const int64_t expected = f == TPixelFormat::pf1bit ? 10 : 9;  // index 1 is not the colour
    EXPECT_EQ(ColorCount(image, wanted), expected) << bits;
    EXPECT_EQ(ColorCount(image, RGB(1, 2, 3)), 0) << bits;
  }
}

TEST(ColorCount, ComparesAllThreeBytesOnTwentyFourBits) {
  TicBitmap image;
  Make24(image, 4, 1, RGB(10, 20, 30));
  image.SetPixelColor(1, 0, RGB(10, 20, 31));
  image.SetPixelColor(2, 0, RGB(11, 20, 30));
  image.SetPixelColor(3, 0, RGB(10, 21, 30));
  EXPECT_EQ(ColorCount(image, RGB(10, 20, 30)), 1);
  EXPECT_EQ(ColorCount(image, RGB(10, 20, 31)), 1);
  EXPECT_EQ(ColorCount(image, kBlack), 0);
}

TEST(IsBlank, ToleranceZeroAcceptsOnlyWhite) {
  TicBitmap image;
  Make24(image, 10, 10, kWhite);
  EXPECT_TRUE(IsBlank(image, 0));
  image.SetPixelColor(9, 9, RGB(255, 255, 254));
  EXPECT_FALSE(IsBlank(image, 0));
  EXPECT_TRUE(IsBlank(image, 100));  // limit 100 x 765 x 100 div 1,000,000 = 7
}

TEST(IsBlank, OneBitCountsDarkPixelsWhicheverEntryIsWhite) {
  const plat::TColorTable black_first{{0, 0, 0, 0}, {255, 255, 255, 0}};
  const plat::TColorTable white_first{{255, 255, 255, 0}, {0, 0, 0, 0}};
  for (int dark : {1, 2}) {
    bool answers[2];
    int i = 0;
    for (const plat::TColorTable& palette : {black_first, white_first}) {
      TicBitmap page;
      MakeIndexed(page, 100, 100, TPixelFormat::pf1bit, palette);
      page.FillRect({0, 0, 100, 100}, kWhite);
      page.FillRect({0, 0, dark, 1}, kBlack);
      answers[i++] = IsBlank(page, 100);  // limit 10,000 x 100 div 1,000,000 = 1
    }
    EXPECT_EQ(answers[0], dark == 1);
    EXPECT_EQ(answers[1], answers[0]);
  }
  TicBitmap no_white;
  MakeIndexed(no_white, 4, 4, TPixelFormat::pf1bit, {{0, 0, 0, 0}, {254, 255, 255, 0}});
  EXPECT_FALSE(IsBlank(no_white, 1'000'000));
}

TEST(IsBlank, AHugeToleranceOnALargeImageAcceptsWithoutOverflow) {
  TicBitmap page;
  MakeIndexed(page, 5000, 4000, TPixelFormat::pf8bit, {{0, 0, 0, 0}});  // all black
  EXPECT_FALSE(IsBlank(page, 999'999));
  EXPECT_TRUE(IsBlank(page, UINT32_MAX));
}

TEST(CircleThrough3Points, FindsTheCircleAndTheArcDirection) {
  TCircle circle;
  ASSERT_TRUE(CircleThrough3Points(circle, 0, 0, 10, 0, 5, -5));
  EXPECT_EQ(circle.x, 5);
  EXPECT_EQ(circle.y, 0);
  EXPECT_EQ(circle.radius, 5);
  for (bool exchanged : {false, true}) {
    TArc arc;
    ASSERT_TRUE(exchanged ? ArcThrough3Points(arc, 5, -5, 10, 0, 0, 0)
                          : ArcThrough3Points(arc, 0, 0, 10, 0, 5, -5));
    EXPECT_EQ(arc.left, 0);
    EXPECT_EQ(arc.top, -5);
    EXPECT_EQ(arc.right, 11);
    EXPECT_EQ(arc.bottom, 6);
    EXPECT_EQ(arc.start_x, 0) << exchanged;
    EXPECT_EQ(arc.start_y, 0) << exchanged;
    EXPECT_EQ(arc.end_x, 5) << exchanged;
    EXPECT_EQ(arc.end_y, -5) << exchanged;
  }
}

TEST(CircleThrough3Points, CollinearOrCoincidentPointsGiveFalseAndZeros) {
  const int cases[][6] = {{0, 0, 1, 1, 2, 2}, {0, 3, 5, 3, 9, 3}, {1, 1, 1, 1, 4, 7}};
  for (const auto& p : cases) {
    TCircle circle{9, 9, 9, true};
    EXPECT_FALSE(CircleThrough3Points(circle, p[0], p[1], p[2], p[3], p[4], p[5]));
    EXPECT_EQ(circle.x | circle.y | circle.radius, 0);
    EXPECT_FALSE(circle.reversed);
    TArc arc{1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(ArcThrough3Points(arc, p[0], p[1], p[2], p[3], p[4], p[5]));
    EXPECT_EQ(arc.left | arc.top | arc.right | arc.bottom | arc.start_x | arc.end_y, 0);
  }
}

}  // namespace
}  // namespace pictavo
