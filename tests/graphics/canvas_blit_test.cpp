// Copies between canvases: copy modes, stretch modes, copies onto the same bitmap.
#include <gtest/gtest.h>

#include "graphics/canvas_probe.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace plat {
namespace {

TEST(CanvasBlit, CopyModesCombineSourceAndDestination) {
  constexpr TColor kSource = RGB(0x0F, 0xA5, 0x3C), kDest = RGB(0x99, 0xF0, 0x55);
  struct Case {
    TCopyMode mode;
    TColor want;
  };
  const Case cases[] = {
      {TCopyMode::cmSrcCopy, kSource},
      {TCopyMode::cmSrcAnd, RGB(0x0F & 0x99, 0xA5 & 0xF0, 0x3C & 0x55)},
      {TCopyMode::cmSrcPaint, RGB(0x0F | 0x99, 0xA5 | 0xF0, 0x3C | 0x55)},
      {TCopyMode::cmSrcInvert, RGB(0x0F ^ 0x99, 0xA5 ^ 0xF0, 0x3C ^ 0x55)},
      {TCopyMode::cmNotSrcCopy, RGB(0xF0, 0x5A, 0xC3)},
  };
  TBitmap source(1, 1, TPixelFormat::pf24bit);
  source.SetPixelColor(0, 0, kSource);
  for (const Case& test : cases) {
    TBitmap dest(3, 1, TPixelFormat::pf24bit);
    dest.FillRect({0, 0, 3, 1}, kDest);
    dest.Canvas().CopyMode = test.mode;
    dest.Canvas().CopyRect({1, 0, 2, 1}, source.Canvas(), {0, 0, 1, 1});
    EXPECT_EQ(dest.PixelColor(1, 0), test.want) << std::hex << static_cast<uint32_t>(test.mode);
    EXPECT_EQ(dest.PixelColor(0, 0), kDest);
    EXPECT_EQ(dest.PixelColor(2, 0), kDest);
  }
}

// The transparent blit: a mask ANDed in, then the image whose background is black ORed over it.
TEST(CanvasBlit, MaskThenPaintDrawsThroughTheMask) {
  TBitmap mask(2, 1, TPixelFormat::pf1bit), image(2, 1, TPixelFormat::pf24bit);
  mask.SetPixelColor(1, 0, RGB(255, 255, 255));  // left opaque (black), right transparent
  image.SetPixelColor(0, 0, RGB(10, 200, 30));
  TBitmap dest(2, 1, TPixelFormat::pf24bit);
  dest.FillRect({0, 0, 2, 1}, RGB(90, 90, 90));
  dest.Canvas().StretchBlt({0, 0, 2, 1}, mask, {0, 0, 2, 1}, TCopyMode::cmSrcAnd);
  dest.Canvas().StretchBlt({0, 0, 2, 1}, image, {0, 0, 2, 1}, TCopyMode::cmSrcPaint);
  EXPECT_EQ(dest.PixelColor(0, 0), RGB(10, 200, 30));
  EXPECT_EQ(dest.PixelColor(1, 0), RGB(90, 90, 90));
}

TEST(CanvasBlit, StretchModesPickTheNearestPixelOrAverageTheArea) {
  TBitmap source(4, 2, TPixelFormat::pf24bit);
  const TColor colours[4] = {RGB(0, 0, 0), RGB(100, 40, 255), RGB(20, 60, 1), RGB(200, 0, 100)};
  for (int i = 0; i < 8; ++i) source.SetPixelColor(i % 4, i / 4, colours[(i + i / 4) % 4]);
  for (TStretchMode mode : {TStretchMode::smColorOnColor, TStretchMode::smHalftone}) {
    TBitmap dest(2, 1, TPixelFormat::pf24bit);
    dest.Canvas().StretchMode = mode;
    dest.Canvas().StretchBlt({0, 0, 2, 1}, source, {0, 0, 4, 2}, TCopyMode::cmSrcCopy);
    for (int x = 0; x < 2; ++x) {
      unsigned r = 0, g = 0, b = 0;
      for (int sy = 0; sy < 2; ++sy)
        for (int sx = 2 * x; sx < 2 * x + 2; ++sx) {
          const TColor c = source.PixelColor(sx, sy);
          r += GetRValue(c), g += GetGValue(c), b += GetBValue(c);
        }
      const TColor mean = RGB((r + 2) / 4, (g + 2) / 4, (b + 2) / 4);
      EXPECT_EQ(dest.PixelColor(x, 0),
                mode == TStretchMode::smHalftone ? mean : source.PixelColor(2 * x, 0))
          << static_cast<int>(mode) << " x " << x;
    }
  }
}

TEST(CanvasBlit, CopyOntoItselfReadsTheOriginalAndKeepsIndices) {
  TBitmap strip(6, 1, TPixelFormat::pf8bit);
  TColorTable table(256);
  table[9] = table[3];  // two entries of one colour: only a copy of the values keeps 9
  strip.SetColorTable(table);
  for (int x = 0; x < 6; ++x) strip.ScanLine(0)[x] = static_cast<uint8_t>(x == 0 ? 9 : x);
  TCanvas& c = strip.Canvas();
  c.CopyRect({1, 0, 6, 1}, c, {0, 0, 5, 1});
  const uint8_t want[6] = {9, 9, 1, 2, 3, 4};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(strip.ScanLine(0)[x], want[x]) << x;
}

TEST(CanvasBlit, ExtentsNearTheEndsOfTheRangeAreClipped) {
  TBitmap source(3, 3, TPixelFormat::pf24bit), dest(8, 8, TPixelFormat::pf24bit);
  source.FillRect({0, 0, 3, 3}, RGB(1, 2, 3));
  dest.Canvas().StretchBlt({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, source, {0, 0, 3, 3},
                           TCopyMode::cmSrcCopy);
  EXPECT_EQ(dest.PixelColor(7, 7), RGB(1, 2, 3));
  dest.Canvas().StretchMode = TStretchMode::smHalftone;
  dest.Canvas().StretchBlt({0, 0, 8, 8}, source, {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                           TCopyMode::cmSrcInvert);
}

}  // namespace
}  // namespace plat
