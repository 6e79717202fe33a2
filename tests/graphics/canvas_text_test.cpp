// Text on the canvas: cells, escapement, colours, metrics.
#include <gtest/gtest.h>

#include <climits>

#include "graphics/canvas_probe.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace plat {
namespace {

using velmora_test::Bounds;

constexpr TColor kBlackPaper = RGB(0, 0, 0);
constexpr TColor kFontColour = RGB(255, 255, 0);
constexpr TColor kBrushColour = RGB(0, 0, 255);

class CanvasText : public ::testing::Test {
 protected:
  static TBitmap Paper(TPixelFormat format = TPixelFormat::pf24bit) {
    TBitmap bitmap(120, 120, format);
    bitmap.FillRect({0, 0, 120, 120}, kBlackPaper);
    return bitmap;
  }
  static void Style(TCanvas& c, TBrushStyle brush, int escapement = 0) {
    c.Font.Color = kFontColour;
    c.Font.LogFont.lfHeight = -16;
    c.Font.LogFont.lfEscapement = escapement;
    c.Brush.Color = kBrushColour;
    c.Brush.Style = brush;
  }
};

TEST_F(CanvasText, OpaqueTextFillsExactlyItsCellInTheBrushColour) {
  TBitmap drawn = Paper();
  TCanvas& c = drawn.Canvas();
  Style(c, TBrushStyle::bsSolid);
  const TSize extent = c.TextExtent("Hello");
  EXPECT_EQ(extent.cy, c.TextMetrics().tmHeight);
  EXPECT_GT(extent.cx, 16);
  c.TextOut(10, 20, "Hello");
  EXPECT_EQ(velmora_test::Changes(Paper(), drawn),
            Bounds(10, 20, 10 + extent.cx - 1, 20 + extent.cy - 1, extent.cx * extent.cy));
  int glyph = 0;
  for (int y = 20; y < 20 + extent.cy; ++y)
    for (int x = 10; x < 10 + extent.cx; ++x) {
      const TColor colour = drawn.PixelColor(x, y);
      EXPECT_TRUE(colour == kBrushColour || colour == kFontColour) << x << "," << y;
      glyph += colour == kFontColour;
    }
  EXPECT_GT(glyph, 20) << "the font colour draws the glyphs";
}

TEST_F(CanvasText, TransparentTextTouchesGlyphPixelsOnly) {
  TBitmap drawn = Paper();
  TCanvas& c = drawn.Canvas();
  Style(c, TBrushStyle::bsClear);
  const TSize extent = c.TextExtent("Hello");
  c.ExtTextOutW(10, 20, u"Hello");
  const auto box = velmora_test::Changes(Paper(), drawn);
  EXPECT_GT(box.count, 20);
  EXPECT_LT(box.count, extent.cx * extent.cy / 2);
  EXPECT_GE(box.left, 10);
  EXPECT_GE(box.top, 20);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 120; ++x)
      EXPECT_TRUE(drawn.PixelColor(x, y) == kBlackPaper || drawn.PixelColor(x, y) == kFontColour);
}

TEST_F(CanvasText, EscapementTurnsTheCellCounterClockwiseAboutItsTopLeftCorner) {
  TBitmap drawn = Paper();
  TCanvas& c = drawn.Canvas();
  Style(c, TBrushStyle::bsSolid, 900);
  const TSize extent = c.TextExtent("Up");
  c.TextOut(30, 100, "Up");
  // Turned by 90 degrees the cell runs upwards from the anchor: cy wide, cx high.
  EXPECT_EQ(velmora_test::Changes(Paper(), drawn),
            Bounds(30, 100 - extent.cx, 30 + extent.cy - 1, 99, extent.cx * extent.cy));
}

TEST_F(CanvasText, TextOnAnIndexedImageWritesTheNearestEntries) {
  TBitmap drawn = Paper(TPixelFormat::pf8bit);
  TCanvas& c = drawn.Canvas();
  Style(c, TBrushStyle::bsSolid);
  c.Font.Color = RGB(250, 240, 10);  // nearest entry: yellow
  c.TextOut(5, 5, "Wg");
  const TSize extent = c.TextExtent("Wg");
  for (int y = 5; y < 5 + extent.cy; ++y)
    for (int x = 5; x < 5 + extent.cx; ++x) {
      const TColor colour = drawn.PixelColor(x, y);
      EXPECT_TRUE(colour == kFontColour || colour == kBrushColour) << x << "," << y;
    }
}

TEST_F(CanvasText, HeightsFollowTheLogicalFontRules) {
  TBitmap bitmap(4, 4, TPixelFormat::pf24bit);
  TCanvas& c = bitmap.Canvas();
  c.Font.LogFont.lfHeight = 30;  // the cell
  const TTextMetric cell = c.TextMetrics();
  EXPECT_NEAR(cell.tmHeight, 30, 1);
  EXPECT_EQ(cell.tmHeight, cell.tmAscent + cell.tmDescent);
  c.Font.LogFont.lfHeight = -30;  // the character, without the internal leading
  EXPECT_GT(c.TextMetrics().tmHeight, cell.tmHeight);
  c.Font.LogFont.lfWeight = 700;
  const int bold = c.TextExtent("mmmm").cx;
  c.Font.LogFont.lfWeight = 400;
  EXPECT_GT(bold, c.TextExtent("mmmm").cx);
}

TEST_F(CanvasText, FaceNamesKeepThirtyOneCharacters) {
  TLogFont record;
  EXPECT_EQ(record.FaceName(), u"MS Sans Serif");
  record.SetFaceName(u"An exceedingly long face name that goes on");
  EXPECT_EQ(record.FaceName(), u"An exceedingly long face name t");
  EXPECT_EQ(record.FaceName().size(), 31u);
}

TEST_F(CanvasText, HugeAnchorsAndHeightsDrawNothingOutside) {
  TBitmap drawn = Paper();
  TCanvas& c = drawn.Canvas();
  Style(c, TBrushStyle::bsSolid, 450);
  for (int anchor : {INT_MIN, INT_MAX, INT_MIN + 1000, INT_MAX - 1000}) {
    c.TextOut(anchor, anchor, "far away");
    c.TextOut(anchor, 50, "far away");
  }
  EXPECT_EQ(velmora_test::Changes(Paper(), drawn).count, 0);
  c.Font.LogFont.lfHeight = INT_MIN;
  c.TextOut(0, 0, "W");
  EXPECT_GT(velmora_test::Changes(Paper(), drawn).count, 0);
}

}  // namespace
}  // namespace plat
