// GIF through the raster image: loading by first byte, saving by extension.
#include <gtest/gtest.h>

#include <fstream>

#include "control/engine/raster/ticbitmap.h"
#include "gif_test_support.h"
#include "support/test_files.h"

namespace pictavo::test {
namespace {

void Paint(plat::TBitmap& bitmap, int x, int y, plat::TColor c) {
  uint8_t* p = bitmap.ScanLine(y) + x * 3;
  p[0] = plat::GetBValue(c);
  p[1] = plat::GetGValue(c);
  p[2] = plat::GetRValue(c);
}

// A 24-bit picture of six colours in stripes.
void MakeStripes(TicBitmap& bitmap) {
  plat::TBitmap pixels(23, 11, plat::TPixelFormat::pf24bit);
  std::vector<plat::TColor> colours = DistinctColours(6);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 23; ++x) Paint(pixels, x, y, colours[size_t((x / 4 + y) % 6)]);
  bitmap.Assign(pixels);
}

TEST(GIFGlue, LoadsFrame0WithItsTransparentColour) {
  ScratchDir dir;
  std::string path = dir.Path("t.gif");
  RunTool(
      "convert -size 30x20 xc:white -fill red -draw 'rectangle 5,5 20,15' -fill blue -draw "
      "'rectangle 0,0 3,3' -transparent white " +
      path);
  TicBitmap bitmap;
  EXPECT_EQ(ErrorOf([&] { bitmap.LoadImageFile(path, 0); }), "File format not supported");
  EXPECT_EQ(bitmap.Height(), 0);

  bitmap.UseLZW = true;
  bitmap.LoadImageFile(path, 0);
  RgbImage reference = DecodeWithImageMagick(path);
  ASSERT_EQ(bitmap.Width(), 30);
  ASSERT_EQ(bitmap.Height(), 20);
  EXPECT_TRUE(bitmap.Transparent);
  int transparent = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      size_t at = size_t(y * 30 + x);
      plat::TColor c = bitmap.PixelColor(x, y);
      if (reference.alpha[at] == 0) {
        EXPECT_EQ(c, bitmap.BGColor);
        ++transparent;
      } else {
        const uint8_t* rgb = &reference.rgb[at * 3];
        EXPECT_EQ(c, plat::RGB(rgb[0], rgb[1], rgb[2])) << x << "," << y;
      }
    }
  EXPECT_GT(transparent, 0);
}

TEST(GIFGlue, TransparencyOfALaterFrameKeepsBGColour) {
  ScratchDir dir;
  std::string source = dir.Path("later.txt");
  std::ofstream(source) << "screen width 2\nscreen height 1\nscreen colors 2\nscreen background 0\n"
                           "pixel aspect byte 0\n\nscreen map\n\trgb 010 020 030 is a\n"
                           "\trgb 250 240 230 is b\nend\n\nimage # 1\nimage left 0\nimage top 0\n"
                           "image bits 2 by 1\nab\n\ngraphics control\n\tdisposal mode 0\n"
                           "\tuser input flag off\n\tdelay 0\n\ttransparent index 1\nend\n\n"
                           "image # 2\nimage left 0\nimage top 0\nimage bits 2 by 1\nba\n";
  RunTool("gifbuild " + source + " > " + dir.Path("later.gif"));
  TicBitmap owner;
  owner.UseLZW = true;
  TicBitmap target;
  target.BGColor = 0x123456;
  plat::TFileStream stream(dir.Path("later.gif"), plat::FileMode::OpenRead);
  owner.LoadFromStreamByFirstByte(stream, 0, target);
  EXPECT_TRUE(target.Transparent);
  EXPECT_EQ(target.BGColor, 0x123456u);
  EXPECT_EQ(target.PixelColor(1, 0), plat::RGB(250, 240, 230));
}

TEST(GIFGlue, SavesA24BitImageWithEitherCoderAndLeavesItAlone) {
  ScratchDir dir;
  TicBitmap bitmap;
  MakeStripes(bitmap);
  ASSERT_EQ(bitmap.ColorFormat, cf24bit);
  std::vector<uint8_t> previous;
  for (bool lzw : {true, false}) {
    std::string path = dir.Path(lzw ? "lzw.gif" : "rle.gif");
    bitmap.SaveImageFile(path, lzw, 75);
    EXPECT_EQ(bitmap.ColorFormat, cf24bit);
    RgbImage decoded = DecodeWithImageMagick(path);
    ASSERT_EQ(decoded.width, 23);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 23; ++x) {
        const uint8_t* rgb = &decoded.rgb[size_t(y * 23 + x) * 3];
        EXPECT_EQ(plat::RGB(rgb[0], rgb[1], rgb[2]), bitmap.PixelColor(x, y));
      }
    const std::vector<uint8_t> bytes = velmora::test::ReadBytes(path);
    EXPECT_NE(bytes, previous) << "the two coders write different code streams";
    previous = bytes;

    TicBitmap again;
    again.UseLZW = true;
    again.LoadImageFile(path, 0);
    EXPECT_FALSE(again.Transparent);
    EXPECT_EQ(again.PixelColor(22, 10), bitmap.PixelColor(22, 10));
  }
}

TEST(GIFGlue, TransparentSaveMarksBGColourOnlyWhenThePictureHasIt) {
  ScratchDir dir;
  TicBitmap bitmap;
  MakeStripes(bitmap);
  bitmap.Transparent = true;
  std::vector<plat::TColor> colours = DistinctColours(6);
  for (plat::TColor background : {colours[2], plat::RGB(1, 2, 3)}) {
    bitmap.BGColor = background;
    std::string path = dir.Path("transparent.gif");
    bitmap.SaveImageFile(path, true, 75);
    RgbImage decoded = DecodeWithImageMagick(path);
    bool present = background == colours[2];
    EXPECT_EQ(RunTool("giftext " + path).find("Transparency on: yes") != std::string::npos,
              present);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 23; ++x)
        EXPECT_EQ(decoded.alpha[size_t(y * 23 + x)] == 0,
                  present && bitmap.PixelColor(x, y) == background);

    TicBitmap again;
    again.UseLZW = true;
    again.LoadImageFile(path, 0);
    EXPECT_EQ(again.Transparent, present);
    if (present) {
      EXPECT_EQ(again.BGColor, background);
    }
  }
}

}  // namespace
}  // namespace pictavo::test
