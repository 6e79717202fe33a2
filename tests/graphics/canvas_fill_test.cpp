// Flood fill in surface and border mode.
#include <gtest/gtest.h>

#include "graphics/canvas_probe.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace plat {
namespace {

constexpr TColor kWhite = RGB(255, 255, 255);
constexpr TColor kBlack = RGB(0, 0, 0);
constexpr TColor kRed = RGB(255, 0, 0);
constexpr TColor kBlue = RGB(0, 0, 255);

// White paper; a black frame 2..9 around a white room that holds a black island at (5, 5) and a
// red spot at (7, 7).
TBitmap Room(TPixelFormat format) {
  TBitmap bitmap(12, 12, format);
  bitmap.FillRect({0, 0, 12, 12}, kWhite);
  TCanvas& c = bitmap.Canvas();
  c.Pen.Color = kBlack;
  c.Brush.Style = TBrushStyle::bsClear;
  c.Rectangle(2, 2, 10, 10);
  bitmap.SetPixelColor(5, 5, kBlack);
  bitmap.SetPixelColor(7, 7, kRed);
  return bitmap;
}

bool InRoom(int x, int y) {
  return x >= 3 && x <= 8 && y >= 3 && y <= 8;
}

TEST(CanvasFloodFill, SurfaceAndBorderFillTheRoomAroundItsHole) {
  struct Case {
    TFillStyle style;
    TColor colour;
    bool fills_red_spot;
  };
  for (const Case& test :
       {Case{TFillStyle::fsSurface, kWhite, false}, Case{TFillStyle::fsBorder, kBlack, true}}) {
    const TBitmap room = Room(TPixelFormat::pf24bit);
    TBitmap filled = room;
    filled.Canvas().Brush.Color = kBlue;
    filled.Canvas().FloodFill(4, 4, test.colour, test.style);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool spot = x == 7 && y == 7, island = x == 5 && y == 5;
        const bool fills = InRoom(x, y) && !island && (!spot || test.fills_red_spot);
        EXPECT_EQ(filled.PixelColor(x, y), fills ? kBlue : room.PixelColor(x, y))
            << static_cast<int>(test.style) << " at " << x << "," << y;
      }
  }
}

TEST(CanvasFloodFill, AStartPixelThatDoesNotQualifyChangesNothing) {
  const TBitmap room = Room(TPixelFormat::pf24bit);
  EXPECT_EQ(velmora_test::ChangesOf(room,
                                    [](TCanvas& c) {
                                      c.Brush.Color = kBlue;
                                      c.FloodFill(4, 4, kRed, TFillStyle::fsSurface);
                                      c.FloodFill(2, 2, kBlack, TFillStyle::fsBorder);
                                      c.FloodFill(-1, 4, kWhite, TFillStyle::fsSurface);
                                    })
                .count,
            0);
}

TEST(CanvasFloodFill, IndexedImagesCompareThroughTheNearestPaletteEntry) {
  const TBitmap room = Room(TPixelFormat::pf8bit);
  TBitmap filled = room;
  filled.Canvas().Brush.Color = kBlue;
  filled.Canvas().FloodFill(4, 4, RGB(253, 254, 255), TFillStyle::fsSurface);  // nearly white
  EXPECT_EQ(filled.PixelColor(4, 4), kBlue);
  EXPECT_EQ(filled.PixelColor(8, 3), kBlue);
  EXPECT_EQ(filled.PixelColor(0, 0), kWhite);
}

TEST(CanvasFloodFill, HatchedBrushFillsItsPatternOnly) {
  TBitmap filled = Room(TPixelFormat::pf24bit);
  filled.Canvas().Brush.Color = kBlue;
  filled.Canvas().Brush.Style = TBrushStyle::bsVertical;
  filled.Canvas().FloodFill(0, 0, kWhite, TFillStyle::fsSurface);
  int blue = 0, white = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      if (!InRoom(x, y) && filled.PixelColor(x, y) != kBlack)
        (filled.PixelColor(x, y) == kBlue ? blue : white)++;
  EXPECT_GT(blue, 0);
  EXPECT_GT(white, blue);
  EXPECT_EQ(filled.PixelColor(4, 4), kWhite) << "the frame keeps the room out";
}

// An explicit span stack: a large area fills without deep recursion.
TEST(CanvasFloodFill, FillsAFourThousandSquareArea) {
  TBitmap big(4000, 4000, TPixelFormat::pf8bit);
  TCanvas& c = big.Canvas();
  // A comb of walls makes many spans on every row.
  c.Pen.Color = kWhite;
  for (int x = 10; x < 4000; x += 20) {
    c.MoveTo(x, x % 40 == 10 ? 0 : 3999);
    c.LineTo(x, x % 40 == 10 ? 3990 : 10);
  }
  c.Brush.Color = kRed;
  c.FloodFill(2000, 2000, kBlack, TFillStyle::fsSurface);
  EXPECT_EQ(big.PixelColor(0, 0), kRed);
  EXPECT_EQ(big.PixelColor(3999, 3999), kRed);
  EXPECT_EQ(big.PixelColor(10, 5), kWhite);
  EXPECT_EQ(big.PixelColor(15, 3995), kRed);
}

}  // namespace
}  // namespace plat
