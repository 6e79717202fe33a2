#include <gtest/gtest.h>

#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

namespace plat {
namespace {

TEST(Bitmap, CopyOnWriteLeavesTheSourceAlone) {
  TBitmap a(3, 2, TPixelFormat::pf24bit);
  TBitmap b(a);
  b.ScanLine(0)[0] = 9;
  EXPECT_EQ(a.ScanLine(0)[0], 0);
  EXPECT_EQ(b.ScanLine(0)[0], 9);
}

TEST(Bitmap, PixelFormatConversionMatchesNearestColour) {
  TBitmap bmp(2, 1, TPixelFormat::pf24bit);
  uint8_t* row = bmp.ScanLine(0);
  row[0] = 250; row[1] = 250; row[2] = 250;  // near white
  row[3] = 10; row[4] = 0; row[5] = 0;       // near black
  bmp.SetPixelFormat(TPixelFormat::pf1bit);
  EXPECT_EQ(bmp.ScanLine(0)[0] & 0xC0, 0x80);
  EXPECT_EQ(bmp.PixelColor(0, 0), RGB(255, 255, 255));
}

TEST(Bitmap, NearestPaletteIndexPrefersTheFirstOnTies) {
  TColorTable t = {{0, 0, 10, 0}, {0, 0, 20, 0}, {0, 0, 20, 0}};
  EXPECT_EQ(NearestPaletteIndex(t, 15, 0, 0), 0);
  EXPECT_EQ(NearestPaletteIndex(t, 19, 0, 0), 1);
}

TEST(Bitmap, BmpRoundTripKeepsPixelsAndPalette) {
  TBitmap bmp(5, 3, TPixelFormat::pf8bit);
  TColorTable grey(256);
  for (int i = 0; i < 256; ++i) grey[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  bmp.SetColorTable(grey);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) bmp.ScanLine(y)[x] = uint8_t(y * 5 + x);
  TMemoryStream m;
  bmp.SaveToStream(m);
  m.SetPosition(0);
  TBitmap back;
  back.LoadFromStream(m);
  ASSERT_EQ(back.Width(), 5);
  ASSERT_EQ(back.PixelFormat(), TPixelFormat::pf8bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back.ScanLine(y)[x], y * 5 + x);
}

}  // namespace
}  // namespace plat
