// ReduceBitmapColors, its fixed palettes and the octree palettes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "control/formats/gif/gif_reduce.h"
#include "platform/graphics/system_colors.h"
#include "tests/gif/gif_test_support.h"

namespace pictavo {
namespace {

using Pixel = std::function<plat::TColor(int x, int y)>;

plat::TBitmap Image24(int width, int height, const Pixel& pixel) {
  plat::TBitmap bitmap(width, height, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const plat::TColor c = pixel(x, y);
      row[3 * x] = plat::GetBValue(c);
      row[3 * x + 1] = plat::GetGValue(c);
      row[3 * x + 2] = plat::GetRValue(c);
    }
  }
  return bitmap;
}

plat::TBitmap Uniform24(int width, int height, plat::TColor colour) {
  return Image24(width, height, [=](int, int) { return colour; });
}

plat::TBitmap Gradient24(int width, int height) {
  return Image24(width, height, [=](int x, int y) {
    return plat::RGB(uint8_t(x * 255 / (width - 1)), uint8_t(y * 255 / (height - 1)),
                     uint8_t((x * 7 + y * 3) & 0xFF));
  });
}

// An 8-bit image whose pixels use its four palette colours in turn.
plat::TBitmap Palette8(int width, int height) {
  plat::TBitmap bitmap(width, height, plat::TPixelFormat::pf8bit);
  bitmap.SetColorTable({{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {90, 90, 90, 0}});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.ScanLine(y)[x] = uint8_t((x + y) % 4);
  return bitmap;
}

std::unique_ptr<plat::TBitmap> Reduce(plat::TBitmap& bitmap, TReductionMethod method,
                                      TDitherMethod dither = TDitherMethod::dtNearestColour,
                                      const plat::TColorTable& palette = {}, int depth = 8) {
  return ReduceBitmapColors(bitmap, method, dither, palette, depth);
}

double WhiteShare(const plat::TBitmap& bitmap) {
  int64_t white = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) white += bitmap.PixelColor(x, y) == 0xFFFFFF;
  return double(white) / (int64_t{bitmap.Width()} * bitmap.Height());
}

// The order in which the octree lists its leaves: the bits of the three channels interleaved
// from the most significant down (red, green, blue).
uint32_t TreeKey(plat::TColor c) {
  uint32_t key = 0;
  for (int bit = 7; bit >= 0; --bit)
    key = (key << 3) | (((plat::GetRValue(c) >> bit) & 1) << 2) |
          (((plat::GetGValue(c) >> bit) & 1) << 1) | ((plat::GetBValue(c) >> bit) & 1);
  return key;
}

TEST(GIFReduce, NoneGivesA24BitCopyAndLeavesTheCallersBitmapAlone) {
  plat::TBitmap source = Palette8(6, 3);
  const auto result = Reduce(source, TReductionMethod::crNone);
  EXPECT_EQ(source.PixelFormat(), plat::TPixelFormat::pf8bit);
  EXPECT_EQ(source.Palette().size(), 4u);
  EXPECT_EQ(result->PixelFormat(), plat::TPixelFormat::pf24bit);
  ASSERT_EQ(result->Width(), 6);
  ASSERT_EQ(result->Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(result->PixelColor(x, y), source.PixelColor(x, y));
}

TEST(GIFReduce, EveryOtherMethodLeavesTheCallersBitmap24BitAndKnownOnesGive8Bits) {
  const plat::TColorTable custom = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  for (int method = 1; method <= 10; ++method) {
    SCOPED_TRACE(method);
    plat::TBitmap source = Palette8(6, 3);
    const plat::TBitmap before = source;
    const auto result =
        Reduce(source, TReductionMethod(method), TDitherMethod::dtNearestColour, custom);
    EXPECT_EQ(source.PixelFormat(), plat::TPixelFormat::pf24bit);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(source.PixelColor(x, y), before.PixelColor(x, y));
    if (method == 10) {
      EXPECT_TRUE(result->GetEmpty());
    } else {
      EXPECT_EQ(result->PixelFormat(), plat::TPixelFormat::pf8bit);
      EXPECT_EQ(result->Width(), 6);
      EXPECT_EQ(result->Height(), 3);
    }
  }
}

TEST(GIFReduce, UnknownDitherMethodOrEmptyPaletteGiveAnEmptyBitmap) {
  plat::TBitmap source = Gradient24(8, 8);
  EXPECT_TRUE(Reduce(source, TReductionMethod::crWebSafe216, TDitherMethod(7))->GetEmpty());
  EXPECT_TRUE(Reduce(source, TReductionMethod::crCustomPalette)->GetEmpty());
}

TEST(GIFReduce, ErrorsOfTheWriterPassOn) {
  plat::TBitmap empty(0, 0, plat::TPixelFormat::pf24bit);
  EXPECT_EQ(test::ErrorOf([&] { Reduce(empty, TReductionMethod::crGrey256); }),
            "Invalid image dimensions");
}

struct LookupCase {
  TReductionMethod method;
  plat::TColor colour;
  int index;
  plat::TColor result;
};

TEST(GIFReduce, NearestColourThroughEachFixedLookup) {
  const LookupCase cases[] = {
      {TReductionMethod::crWebSafe216, plat::RGB(255, 255, 255), 215, plat::RGB(255, 255, 255)},
      {TReductionMethod::crWebSafe216, plat::RGB(0, 0, 0), 0, plat::RGB(0, 0, 0)},
      {TReductionMethod::crWebSafe216, plat::RGB(47, 47, 47), 0, plat::RGB(0, 0, 0)},
      {TReductionMethod::crWebSafe216, plat::RGB(48, 48, 48), 43, plat::RGB(51, 51, 51)},
      // (200 + 3) div 51 = 3: the cube level below, although 204 is nearer.
      {TReductionMethod::crWebSafe216, plat::RGB(200, 30, 100), 3 * 36 + 0 * 6 + 2,
       plat::RGB(153, 0, 102)},
      // 77 * 255 = 19,635: not above 32,512.
      {TReductionMethod::crMonochrome, plat::RGB(255, 0, 0), 0, plat::RGB(0, 0, 0)},
      // 256 * 128 = 32,768.
      {TReductionMethod::crMonochrome, plat::RGB(128, 128, 128), 1, plat::RGB(255, 255, 255)},
      {TReductionMethod::crSystemGrey4, plat::RGB(170, 170, 170), 2, plat::RGB(192, 192, 192)},
      {TReductionMethod::crSystem20, plat::RGB(250, 250, 250), 19, plat::RGB(255, 255, 255)},
      {TReductionMethod::crHalftone256, plat::RGB(51, 102, 153), 1 * 36 + 2 * 6 + 3,
       plat::RGB(51, 102, 153)},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.method) << " colour " << std::hex << c.colour);
    plat::TBitmap source = Uniform24(3, 2, c.colour);
    const auto result = Reduce(source, c.method);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        ASSERT_EQ(result->ScanLine(y)[x], c.index);
        ASSERT_EQ(result->PixelColor(x, y), c.result);
      }
  }
}

TEST(GIFReduce, Grey256IndexIsTheLuminance) {
  plat::TBitmap source = Gradient24(40, 30);
  const plat::TBitmap copy = source;
  const auto result = Reduce(source, TReductionMethod::crGrey256);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const plat::TColor c = copy.PixelColor(x, y);
      const int grey =
          (77 * plat::GetRValue(c) + 150 * plat::GetGValue(c) + 29 * plat::GetBValue(c)) >> 8;
      ASSERT_EQ(result->ScanLine(y)[x], grey);
      ASSERT_EQ(result->PixelColor(x, y), plat::RGB(grey, grey, grey));
    }
}

TEST(GIFReduce, FloydSteinbergHalvesGreyIntoBlackAndWhiteWhereNearestGivesWhite) {
  plat::TBitmap grey = Uniform24(64, 64, plat::RGB(128, 128, 128));
  const double dithered =
      WhiteShare(*Reduce(grey, TReductionMethod::crMonochrome, TDitherMethod::dtFloydSteinberg));
  EXPECT_GE(dithered, 0.45);
  EXPECT_LE(dithered, 0.55);
  EXPECT_EQ(WhiteShare(*Reduce(grey, TReductionMethod::crMonochrome)), 1.0);
}

TEST(GIFReduce, EveryDithererWritesIndicesInsideThePalette) {
  const plat::TColorTable custom = {
      {10, 20, 30, 0}, {200, 100, 0, 0}, {0, 0, 0, 0}, {255, 255, 255, 0}, {90, 200, 40, 0}};
  const std::pair<TReductionMethod, int> methods[] = {
      {TReductionMethod::crSystem20, 20},    {TReductionMethod::crSystemGrey4, 4},
      {TReductionMethod::crMonochrome, 2},   {TReductionMethod::crWebSafe216, 216},
      {TReductionMethod::crQuantise, 8},     {TReductionMethod::crCustomPalette, 5},
      {TReductionMethod::crHalftone256, 256}};
  for (const auto& [method, entries] : methods)
    for (int dither = 0; dither <= 6; ++dither) {
      SCOPED_TRACE(testing::Message() << "method " << int(method) << " dither " << dither);
      plat::TBitmap source = Gradient24(61, 23);
      const auto result = Reduce(source, method, TDitherMethod(dither), custom, 3);
      ASSERT_EQ(result->Width(), 61);
      std::set<int> used;
      for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 61; ++x) used.insert(result->ScanLine(y)[x]);
      EXPECT_LT(*used.rbegin(), entries);
      EXPECT_GT(used.size(), 1u);
    }
}

TEST(GIFReduce, QuantiseKeepsTheColoursOfASmallImageInTreeOrder) {
  const std::vector<plat::TColor> colours = test::DistinctColours(10);
  plat::TBitmap source =
      Image24(10, 4, [&](int x, int y) { return colours[(x + y) % colours.size()]; });
  const plat::TBitmap copy = source;
  std::vector<plat::TColor> treeOrder = colours;
  std::sort(treeOrder.begin(), treeOrder.end(),
            [](plat::TColor a, plat::TColor b) { return TreeKey(a) < TreeKey(b); });

  const plat::TColorTable palette = OctreePaletteOfBitmap(source, 16, 8, false);
  ASSERT_EQ(palette.size(), 16u);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(palette[i].ToColor(), i < 10 ? treeOrder[i] : 0) << "entry " << i;

  const auto result =
      Reduce(source, TReductionMethod::crQuantise, TDitherMethod::dtNearestColour, {}, 4);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(result->Palette()[i].ToColor(), treeOrder[i]) << "entry " << i;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(result->PixelColor(x, y), copy.PixelColor(x, y));
}

TEST(GIFReduce, QuantiseDepthIsHeldToOneToEight) {
  // 400 distinct colours: a depth above 8 must not ask for more than 256.
  const Pixel pixel = [](int x, int y) { return plat::RGB(uint8_t(x * 12), uint8_t(y * 12), 77); };
  plat::TBitmap deep = Image24(20, 20, pixel), eight = Image24(20, 20, pixel);
  plat::TBitmap shallow = Image24(20, 20, pixel), one = Image24(20, 20, pixel);
  const auto fromDeep = Reduce(deep, TReductionMethod::crQuantise, {}, {}, 12);
  const auto fromEight = Reduce(eight, TReductionMethod::crQuantise, {}, {}, 8);
  const auto fromShallow = Reduce(shallow, TReductionMethod::crQuantise, {}, {}, 0);
  const auto fromOne = Reduce(one, TReductionMethod::crQuantise, {}, {}, 1);
  EXPECT_EQ(fromDeep->Palette(), fromEight->Palette());
  EXPECT_EQ(fromShallow->Palette(), fromOne->Palette());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(fromDeep->ScanLine(y)[x], fromEight->ScanLine(y)[x]);
      ASSERT_EQ(fromShallow->ScanLine(y)[x], fromOne->ScanLine(y)[x]);
      ASSERT_LT(fromOne->ScanLine(y)[x], 2);
    }
}

TEST(GIFReduce, OctreeMeansDropTheFraction) {
  plat::TBitmap source =
      Image24(2, 1, [](int x, int) { return x ? plat::RGB(5, 3, 1) : plat::RGB(0, 0, 0); });
  const plat::TColorTable palette = OctreePaletteOfBitmap(source, 1, 8, false);
  ASSERT_EQ(palette.size(), 1u);
  EXPECT_EQ(palette[0].ToColor(), plat::RGB(2, 1, 0));  // 2.5, 1.5, 0.5
}

TEST(GIFReduce, QuantiseWithSystemPutsTheImageBetweenTheSystemColours) {
  const std::vector<plat::TColor> colours = test::DistinctColours(10);
  plat::TBitmap source = Image24(5, 2, [&](int x, int y) { return colours[x + 5 * y]; });
  const plat::TColorTable palette = OctreePaletteOfBitmap(source, 256, 8, true);
  const plat::TColorTable& system = plat::SystemDefaultPalette();
  ASSERT_EQ(palette.size(), 256u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(palette[i], system[i]);
    EXPECT_EQ(palette[246 + i], system[10 + i]);
  }
  std::set<plat::TColor> image;
  for (int i = 10; i < 20; ++i) image.insert(palette[i].ToColor());
  EXPECT_EQ(image, std::set<plat::TColor>(colours.begin(), colours.end()));
  for (int i = 20; i < 246; ++i) EXPECT_EQ(palette[i].ToColor(), 0u) << "entry " << i;

  plat::TBitmap again = Image24(5, 2, [&](int x, int y) { return colours[x + 5 * y]; });
  const auto result = Reduce(again, TReductionMethod::crQuantiseWithSystem);
  EXPECT_EQ(result->Palette(), palette);
}

TEST(GIFReduce, FixedPalettes) {
  const plat::TColorTable web = WebSafePalette();
  ASSERT_EQ(web.size(), 216u);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        ASSERT_EQ(web[r * 36 + g * 6 + b].ToColor(), plat::RGB(51 * r, 51 * g, 51 * b));
  const plat::TColorTable ramp = GreyRampPalette();
  ASSERT_EQ(ramp.size(), 256u);
  EXPECT_EQ(ramp[0].rgbReserved, kPaletteNoCollapse);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(ramp[i].ToColor(), plat::RGB(i, i, i));
  EXPECT_EQ(BlackWhitePalette(), (plat::TColorTable{{0, 0, 0, 0}, {255, 255, 255, 0}}));
  EXPECT_EQ(SystemGreyPalette(),
            (plat::TColorTable{
                {0, 0, 0, 0}, {128, 128, 128, 0}, {192, 192, 192, 0}, {255, 255, 255, 0}}));
  const plat::TColorTable halftone = HalftonePalette();
  ASSERT_EQ(halftone.size(), 256u);
  EXPECT_TRUE(std::equal(web.begin(), web.end(), halftone.begin()));
  const plat::TColorTable& system = plat::SystemDefaultPalette();
  EXPECT_TRUE(std::equal(system.begin(), system.end(), halftone.begin() + 216));
  // The ramp adds greys the cube and the static colours do not have.
  const std::set<plat::TColor> before([&] {
    std::set<plat::TColor> s;
    for (int i = 0; i < 236; ++i) s.insert(halftone[i].ToColor());
    return s;
  }());
  std::set<plat::TColor> ramp20;
  for (int i = 236; i < 256; ++i) {
    EXPECT_EQ(halftone[i].rgbRed, halftone[i].rgbGreen);
    EXPECT_EQ(halftone[i].rgbRed, halftone[i].rgbBlue);
    EXPECT_FALSE(before.count(halftone[i].ToColor())) << "entry " << i;
    ramp20.insert(halftone[i].ToColor());
  }
  EXPECT_EQ(ramp20.size(), 20u);
}

// ImageMagick's RMSE (0..1) between the two images after blurring both, which stands in for
// viewing them from a distance.
double BlurredDistance(const plat::TBitmap& a, const plat::TBitmap& b) {
  test::ScratchDir dir;
  a.SaveToFile(dir.Path("a.bmp"));
  b.SaveToFile(dir.Path("b.bmp"));
  const std::string blurred = " -blur 0x3 \\) ";
  return std::stod(test::RunTool("convert \\( '" + dir.Path("a.bmp") + "'" + blurred + "\\( '" +
                                 dir.Path("b.bmp") + "'" + blurred +
                                 "-metric RMSE -compare -format '%[distortion]' info:"));
}

TEST(GIFReduce, ErrorDiffusionKeepsTheLookFromAfarWhereNearestColourBands) {
  const plat::TBitmap source = Image24(160, 96, [](int x, int y) {
    return plat::RGB(uint8_t(x * 255 / 159), uint8_t(y * 255 / 95), uint8_t(90 + (x + y) / 4));
  });
  plat::TBitmap copy = source;
  const double banded = BlurredDistance(*Reduce(copy, TReductionMethod::crWebSafe216), source);
  for (int dither = 1; dither <= 6; ++dither) {
    SCOPED_TRACE(dither);
    const double dithered = BlurredDistance(
        *Reduce(copy, TReductionMethod::crWebSafe216, TDitherMethod(dither)), source);
    EXPECT_LT(dithered, banded / 3);
  }
}

TEST(GIFReduce, ReducedColourTableCarriesNoPaletteFlags) {
  plat::TBitmap source = Gradient24(8, 8);
  const auto result = Reduce(source, TReductionMethod::crSystemGrey4);
  for (const plat::TRGBQuad& q : result->Palette()) ASSERT_EQ(q.rgbReserved, 0);
}

}  // namespace
}  // namespace pictavo
