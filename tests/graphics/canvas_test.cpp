#include "platform/graphics/canvas.h"

#include <gtest/gtest.h>

#include "platform/base/exceptions.h"
#include "platform/graphics/bitmap.h"

namespace plat {
namespace {

TEST(Canvas, RectangleLeavesRightAndBottomEdgesOut) {
  TBitmap bmp(6, 5, TPixelFormat::pf24bit);
  TCanvas& c = bmp.Canvas();
  c.Pen.Color = RGB(255, 0, 0);
  c.Brush.Color = RGB(0, 0, 255);
  c.Rectangle(1, 1, 5, 4);
  const char* expected[5] = {"......", ".RRRR.", ".RBBR.", ".RRRR.", "......"};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const char want = expected[y][x];
      const TColor colour = want == 'R' ? RGB(255, 0, 0) : want == 'B' ? RGB(0, 0, 255) : 0;
      EXPECT_EQ(c.Pixel(x, y), colour) << x << "," << y;
    }
}

TEST(Canvas, ClearBrushAndClearPenDrawNothing) {
  TBitmap bmp(4, 4, TPixelFormat::pf24bit);
  TCanvas& c = bmp.Canvas();
  c.Brush.Style = TBrushStyle::bsClear;
  c.Pen.Style = TPenStyle::psClear;
  c.Pen.Color = RGB(9, 9, 9);
  c.Rectangle(0, 0, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(c.Pixel(x, y), 0u);
}

TEST(Canvas, SystemColoursResolveAndIndexedImagesTakeTheNearestEntry) {
  TBitmap bmp(3, 1, TPixelFormat::pf8bit);
  TColorTable table(256);
  table[7] = {200, 208, 212, 0};  // the classic button face
  table[8] = {255, 255, 255, 0};
  bmp.SetColorTable(table);
  TCanvas& c = bmp.Canvas();
  c.SetPixel(0, 0, 0x8000000F);  // button face
  c.SetPixel(1, 0, RGB(250, 250, 250));
  EXPECT_EQ(bmp.ScanLine(0)[0], 7);
  EXPECT_EQ(bmp.ScanLine(0)[1], 8);
  EXPECT_EQ(c.Pixel(3, 0), kInvalidColor);
  EXPECT_EQ(c.Pixel(-1, 0), kInvalidColor);
}

TEST(Canvas, StretchDrawScalesByNearestPixelAndClips) {
  TBitmap source(2, 1, TPixelFormat::pf24bit);
  source.SetPixelColor(0, 0, RGB(10, 20, 30));
  source.SetPixelColor(1, 0, RGB(40, 50, 60));
  TBitmap target(3, 2, TPixelFormat::pf24bit);
  target.Canvas().StretchDraw({-1, 0, 3, 2}, source);  // 4 x 2, one column off the left
  EXPECT_EQ(target.PixelColor(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(target.PixelColor(1, 1), RGB(40, 50, 60));
  EXPECT_EQ(target.PixelColor(2, 0), RGB(40, 50, 60));
  target.Canvas().Draw(1, 1, source);
  EXPECT_EQ(target.PixelColor(1, 1), RGB(10, 20, 30));
}

// Unscaled drawing between bitmaps of one layout copies the stored values, clipped.
TEST(Canvas, UnscaledDrawOfTheSameLayoutCopiesPixelValues) {
  for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                         TPixelFormat::pf16bit, TPixelFormat::pf24bit}) {
    TBitmap source(5, 3, f), target(4, 4, f);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) source.SetPixelColor(x, y, (x + y) % 2 ? 0xFFFFFF : 0x000000);
    target.Canvas().Draw(1, -1, source);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const bool inside = x >= 1 && y <= 1;
        const TColor want = inside ? source.PixelColor(x - 1, y + 1) : 0;
        EXPECT_EQ(target.PixelColor(x, y), want) << BitsPerPixel(f) << " bits " << x << "," << y;
      }
  }
}

// A graphic the canvas does not know is drawn through the bitmap it assigns to.
class TwoByOne : public TGraphic {
 public:
  bool GetEmpty() const override { return false; }
  int GetWidth() const override { return 2; }
  int GetHeight() const override { return 1; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) const override {}
  void AssignTo(TGraphic& dest) const override {
    TBitmap pixels(2, 1, TPixelFormat::pf24bit);
    pixels.SetPixelColor(1, 0, RGB(1, 2, 3));
    dynamic_cast<TBitmap&>(dest).Assign(pixels);
  }
};

TEST(Canvas, OtherGraphicsDrawThroughTheirBitmap) {
  TBitmap target(2, 1, TPixelFormat::pf24bit);
  target.Canvas().Draw(0, 0, TwoByOne());
  EXPECT_EQ(target.PixelColor(1, 0), RGB(1, 2, 3));
}

TEST(Canvas, BitmapTravelsThroughTheClipboardFormatAsAHandle) {
  TBitmap source(3, 2, TPixelFormat::pf4bit);
  source.ScanLine(1)[0] = 0x5A;
  uint16_t format = 0;
  THandle data = 0, palette = 7;
  source.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  EXPECT_EQ(palette, 0u);
  TBitmap pasted;
  pasted.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(pasted.ScanLine(1)[0], 0x5A);
  EXPECT_TRUE(DeleteBitmapHandle(data));
  EXPECT_THROW(pasted.LoadFromClipboardFormat(1, data, 0), EInvalidGraphic);
}

}  // namespace
}  // namespace plat
