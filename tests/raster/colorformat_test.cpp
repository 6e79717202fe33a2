// Colour-depth conversion: SetColorFormat and the exact-colour remapping.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "control/engine/raster/colorformat.h"
#include "control/engine/raster/pixels.h"
#include "raster_images.h"

namespace pictavo {
namespace {

using testing::Make24;
using testing::MakeIndexed;
using testing::MakeRandom24;
using testing::SetRGB;

std::set<plat::TColor> ColoursOf(const plat::TBitmap& bmp) {
  std::set<plat::TColor> colours;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) colours.insert(bmp.PixelColor(x, y));
  return colours;
}

std::string OutputOf(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  return out;
}

TEST(ColorFormat, QuantisedImageHasAtMost256ColoursForAnOutsideReader) {
  TicBitmap bmp;
  MakeRandom24(bmp, 160, 120, 5);
  ASSERT_GT(ColoursOf(bmp).size(), 10000u);
  bmp.SetColorFormat(cf256Color);
  EXPECT_EQ(bmp.ColorFormat, cf256Color);
  EXPECT_EQ(bmp.PixelFormat(), plat::TPixelFormat::pf8bit);

  const auto dir =
      std::filesystem::temp_directory_path() / ("raster_cf_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "quantised.bmp").string();
  bmp.SaveToFile(file);
  const std::string count = OutputOf("identify -format %k " + file + " 2>/dev/null");
  std::filesystem::remove_all(dir);
  ASSERT_FALSE(count.empty()) << "identify did not run";
  EXPECT_LE(std::stoi(count), 256);
  EXPECT_GT(std::stoi(count), 100);
}

TEST(ColorFormat, FewColoursAreKeptExactly) {
  TicBitmap bmp;
  Make24(bmp, 30, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)  // 200 distinct colours, many close together
      SetRGB(bmp, x, y, uint8_t((x * y) % 200), uint8_t(((x * y) % 200) / 2 + 1), uint8_t(3));
  const std::set<plat::TColor> before = ColoursOf(bmp);
  ASSERT_LE(before.size(), 256u);
  plat::TBitmap original = bmp;
  bmp.SetColorFormat(cf256Color);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(bmp.PixelColor(x, y), original.PixelColor(x, y));

  TicBitmap sixteen;
  Make24(sixteen, 16, 1);
  for (int x = 0; x < 16; ++x) SetRGB(sixteen, x, 0, uint8_t(16 * x), uint8_t(255 - x), 0);
  original = sixteen;
  sixteen.SetColorFormat(cf16Color);
  EXPECT_EQ(sixteen.PixelFormat(), plat::TPixelFormat::pf4bit);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(sixteen.PixelColor(x, 0), original.PixelColor(x, 0));
}

TEST(ColorFormat, BlackAndWhiteThreshold) {
  struct Case {
    plat::TColor in;
    uint8_t bit;
  } cases[] = {{plat::RGB(128, 127, 127), 1},
               {plat::RGB(127, 127, 127), 0},
               {plat::RGB(255, 0, 127), 1},
               {plat::RGB(0, 0, 0), 0}};
  for (const Case& c : cases) {
    TicBitmap bmp;
    Make24(bmp, 1, 1, c.in);
    bmp.SetColorFormat(cfMonoBW);
    ASSERT_EQ(bmp.PixelFormat(), plat::TPixelFormat::pf1bit);
    EXPECT_EQ(bmp.Palette()[0].ToColor(), 0x000000u);
    EXPECT_EQ(bmp.Palette()[1].ToColor(), 0xFFFFFFu);
    EXPECT_EQ(IndexAt(bmp.ScanLine(0), 0, 1), c.bit) << std::hex << c.in;
  }
}

TEST(ColorFormat, TwoColoursTakeTheRoundedMeanOfEachClass) {
  TicBitmap bmp;
  Make24(bmp, 3, 1);
  SetRGB(bmp, 0, 0, 10, 20, 31);
  SetRGB(bmp, 1, 0, 11, 20, 30);
  SetRGB(bmp, 2, 0, 200, 210, 220);
  bmp.SetColorFormat(cfMono);
  EXPECT_EQ(bmp.ColorFormat, cfMono);
  EXPECT_EQ(bmp.Palette()[0].ToColor(), plat::RGB(11, 20, 31));  // (21 + 1) div 2, (61 + 1) div 2
  EXPECT_EQ(bmp.Palette()[1].ToColor(), plat::RGB(200, 210, 220));

  TicBitmap dark;
  Make24(dark, 2, 2, plat::RGB(5, 6, 7));
  dark.SetColorFormat(cfMono);
  EXPECT_EQ(dark.Palette()[1].ToColor(), 0xFFFFFFu);  // empty class 1
}

TEST(ColorFormat, MeanBrightnessModeSplitsAroundTheMean) {
  TicBitmap bmp;
  Make24(bmp, 4, 1, plat::RGB(20, 20, 20));
  SetRGB(bmp, 3, 0, 60, 60, 60);  // mean 30: only the last pixel is above
  ConvertColorFormat(bmp, cfMonoBW, 1, 0);
  EXPECT_EQ(IndexAt(bmp.ScanLine(0), 2, 1), 0);
  EXPECT_EQ(IndexAt(bmp.ScanLine(0), 3, 1), 1);
}

TEST(ColorFormat, SixteenGreysPickTheNearestGrey) {
  TicBitmap bmp;
  Make24(bmp, 2, 1, plat::RGB(196, 196, 196));
  SetRGB(bmp, 1, 0, 250, 250, 250);
  bmp.SetColorFormat(cf16Grayscale);
  ASSERT_EQ(bmp.PixelFormat(), plat::TPixelFormat::pf4bit);
  EXPECT_EQ(IndexAt(bmp.ScanLine(0), 0, 4), 12);
  EXPECT_EQ(bmp.Palette()[12].ToColor(), plat::RGB(192, 192, 192));
  EXPECT_EQ(IndexAt(bmp.ScanLine(0), 1, 4), 15);
  EXPECT_EQ(bmp.Palette()[15].ToColor(), 0xFFFFFFu);
}

// Each pixel takes the first of the palette entries nearest to its old colour, as the plain
// search over the whole palette finds it; the greys tie halfway between two entries.
TEST(ColorFormat, EveryPixelTakesTheFirstNearestEntryOfItsNewPalette) {
  for (uint8_t code : {cf256Color, cf16Color, cf16Grayscale}) {
    TicBitmap bmp;
    MakeRandom24(bmp, 96, 64, 3);
    for (int x = 0; x < 96; ++x) {  // greys, some halfway between two of the 16
      const auto grey = static_cast<uint8_t>(8 * x);
      SetRGB(bmp, x, 0, grey, grey, grey);
    }
    const plat::TBitmap old = bmp;
    bmp.SetColorFormat(code);
    const int bits = plat::BitsPerPixel(bmp.PixelFormat());
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 96; ++x) {
        const plat::TColor c = old.PixelColor(x, y);
        const int want = plat::NearestPaletteIndex(bmp.Palette(), plat::GetRValue(c),
                                                   plat::GetGValue(c), plat::GetBValue(c));
        ASSERT_EQ(IndexAt(bmp.ScanLine(y), x, bits), want) << int{code} << " at " << x << "," << y;
      }
  }
}

TEST(ColorFormat, Grey256UsesTheChannelMean) {
  TicBitmap bmp;
  Make24(bmp, 1, 1, plat::RGB(10, 20, 31));
  bmp.SetColorFormat(cf256Grayscale);
  EXPECT_EQ(bmp.ScanLine(0)[0], (10 + 20 + 31 + 1) / 3);
  bmp.SetColorFormat(cf256Color);  // from greys only the code changes
  EXPECT_EQ(bmp.ColorFormat, cf256Color);
  EXPECT_EQ(bmp.Palette()[77].ToColor(), plat::RGB(77, 77, 77));
  EXPECT_EQ(bmp.ScanLine(0)[0], 20);
}

TEST(ColorFormat, NoneAndTheCurrentCodeChangeNothing) {
  TicBitmap bmp;
  MakeRandom24(bmp, 4, 4, 9);
  const plat::TBitmap before = bmp;
  bmp.SetColorFormat(cfNone);
  bmp.SetColorFormat(cf24bit);
  EXPECT_EQ(bmp.ColorFormat, cf24bit);
  EXPECT_EQ(ColoursOf(bmp), ColoursOf(before));
}

TEST(ColorFormat, TwoColourImageKeepsItsColoursIn16Colours) {
  TicBitmap bmp;
  MakeIndexed(bmp, 4, 2, plat::TPixelFormat::pf1bit, {{1, 2, 250, 0}, {3, 4, 5, 0}});
  ASSERT_EQ(bmp.ColorFormat, cfMono);
  bmp.SetColorFormat(cf16Color);
  ASSERT_EQ(bmp.PixelFormat(), plat::TPixelFormat::pf4bit);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(bmp.PixelColor(x, 1), plat::RGB(250, 2, 1));

  // Two near colours that the fixed 16-colour table would merge stay two colours.
  TicBitmap near;
  MakeIndexed(near, 2, 1, plat::TPixelFormat::pf1bit, {{0, 0, 250, 0}, {0, 0, 240, 0}});
  near.ScanLine(0)[0] = 0x40;  // pixel 1 uses entry 1
  near.SetColorFormat(cf16Color);
  EXPECT_EQ(near.PixelColor(0, 0), plat::RGB(250, 0, 0));
  EXPECT_EQ(near.PixelColor(1, 0), plat::RGB(240, 0, 0));
}

TEST(ColorFormat, BlackAndWhiteBecomesTheTableColours) {
  TicBitmap bmp;
  MakeIndexed(bmp, 2, 1, plat::TPixelFormat::pf1bit, {{0, 0, 0, 0}, {255, 255, 255, 0}});
  bmp.ScanLine(0)[0] = 0x40;
  bmp.SetColorFormat(cf16Color);
  EXPECT_EQ(bmp.PixelColor(0, 0), 0u);
  EXPECT_EQ(bmp.PixelColor(1, 0), 0xFFFFFFu);
  bmp.SetColorFormat(cfMonoBW);
  EXPECT_EQ(IndexAt(bmp.ScanLine(0), 1, 1), 1);
}

TEST(ColorFormat, LargeUniformImagesKeepTheirColour) {
  // 20 million pixels: the octree's leaf sums and the two-colour class sums pass 2^32.
  TicBitmap bmp;
  Make24(bmp, 5000, 4000, plat::RGB(201, 202, 203));
  bmp.SetColorFormat(cf256Color);
  EXPECT_EQ(bmp.PixelColor(4999, 3999), plat::RGB(201, 202, 203));
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(201, 202, 203));

  TicBitmap mono;
  Make24(mono, 5000, 4000, plat::RGB(211, 212, 213));
  mono.SetColorFormat(cfMono);
  EXPECT_EQ(mono.Palette()[1].ToColor(), plat::RGB(211, 212, 213));
}

TEST(ColorFormat, EmptyImageConverts) {
  for (uint8_t code = cf256Color; code <= cfMonoBW; ++code) {
    TicBitmap bmp;
    Make24(bmp, 0, 0);
    bmp.SetColorFormat(code);
    EXPECT_EQ(bmp.ColorFormat, code);
    EXPECT_TRUE(bmp.GetEmpty());
  }
}

TEST(RemapToPalette, ExactColoursTakeTheirFirstIndex) {
  plat::TBitmap copy(3, 1, plat::TPixelFormat::pf24bit);
  SetRGB(copy, 0, 0, 1, 2, 3);
  SetRGB(copy, 1, 0, 9, 9, 9);
  SetRGB(copy, 2, 0, 4, 5, 6);
  plat::TBitmap target(3, 1, plat::TPixelFormat::pf8bit);
  target.ScanLine(0)[1] = 77;
  const plat::TColorTable table = {{6, 5, 4, 0}, {3, 2, 1, 0}, {3, 2, 1, 0}};
  RemapToPalette(copy, target, table, 3);
  EXPECT_EQ(target.ScanLine(0)[0], 1);   // duplicate colour: first index
  EXPECT_EQ(target.ScanLine(0)[1], 77);  // not in the table: kept
  EXPECT_EQ(target.ScanLine(0)[2], 0);

  plat::TBitmap four(3, 1, plat::TPixelFormat::pf4bit);
  RemapToPalette(copy, four, table, 2);
  EXPECT_EQ(IndexAt(four.ScanLine(0), 0, 4), 1);

  plat::TBitmap unhandled(3, 1, plat::TPixelFormat::pf1bit);
  RemapToPalette(copy, unhandled, table, 3);
  EXPECT_EQ(unhandled.ScanLine(0)[0], 0);
}

}  // namespace
}  // namespace pictavo
