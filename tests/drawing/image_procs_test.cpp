// Multi-line text layout and the smooth drawing procedures, checked against the canvas's own
// single-line text and shapes.
#include "control/engine/drawing/image_procs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "control/engine/raster/resample.h"
#include "platform/graphics/pixel_budget.h"
#include "tests/graphics/canvas_probe.h"

namespace pictavo {
namespace {

using plat::TBitmap;
using plat::TColor;

constexpr TColor kGreen = plat::RGB(0, 160, 0);
constexpr TColor kWhite = plat::RGB(255, 255, 255);
constexpr TColor kBlack = plat::RGB(0, 0, 0);

TBitmap Filled(int w, int h, TColor colour) {
  TBitmap bitmap(w, h, plat::TPixelFormat::pf24bit);
  bitmap.FillRect({0, 0, w, h}, colour);
  return bitmap;
}

void UseFont(TBitmap& bitmap, int height, int escapement = 0) {
  plat::TLogFont font;
  font.SetFaceName(u"DejaVu Sans");
  font.lfHeight = height;
  font.lfEscapement = font.lfOrientation = escapement;
  bitmap.Canvas().Font = {font, kBlack};
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), static_cast<size_t>(3 * a.Width())) != 0)
      return false;
  return true;
}

int CountChanged(const TBitmap& a, const TBitmap& b) {
  return velmora_test::Changes(a, b).count;
}

std::vector<std::u16string> Lines(const std::u16string& text) {
  const TWideStringList list = SplitTextLines(text);
  std::vector<std::u16string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

TEST(SplitTextLines, EveryBreakPairEndsOneLine) {
  const struct {
    std::u16string text;
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"A\nB", {u"A", u"B"}},
      {u"A\r\nB", {u"A", u"B"}},
      {u"A\n\rB", {u"A", u"B"}},
      {u"A\rB", {u"A", u"B"}},
      {u"A\n\nB", {u"A", u"", u"B"}},
      {u"A\r\n\r\nB", {u"A", u"", u"B"}},
      {u"A\n\r\nB", {u"A", u"", u"B"}},  // LF CR pairs first, the LF breaks again
      {u"A\n", {u"A"}},
      {u"A\r\n", {u"A"}},
      {u"\n", {}},
      {u"\r\n", {}},
      {u"\n\n", {u"", u""}},
      {u"\nA", {u"", u"A"}},
      {u"AB", {u"AB"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.text), c.lines);
}

TEST(MultiLineText, MeasuresTheWidestLineAndEveryLineHeight) {
  TBitmap bitmap = Filled(10, 10, kWhite);
  UseFont(bitmap, -16);
  plat::TCanvas& canvas = bitmap.Canvas();
  const int line_height = canvas.TextMetrics().tmHeight;
  ASSERT_GT(line_height, 0);
  const int wide = canvas.TextExtent("WWW").cx, narrow = canvas.TextExtent("i").cx;
  const struct {
    std::u16string text;
    int width, height;
  } cases[] = {
      {u"i\r\nWWW", wide, 2 * line_height},
      {u"WWW\n\ni", wide, 3 * line_height},
      {u"i\n", narrow, line_height},
      {u"\n", 0, 0},
      {u"", 0, 0},
  };
  for (const auto& c : cases) {
    int width = 0, height = 0;
    MeasureMultiLineText(bitmap, c.text, width, height);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
  }
}

// The lines of "WWWW" LF "Wi" drawn one by one with the canvas, as the layout places them.
TBitmap SingleLineReference(int escapement, uint8_t justification, int x, int y) {
  TBitmap reference = Filled(160, 160, kWhite);
  UseFont(reference, -16, escapement);
  plat::TCanvas& canvas = reference.Canvas();
  const int h = canvas.TextMetrics().tmHeight;
  const int wide = canvas.TextExtent("WWWW").cx, narrow = canvas.TextExtent("Wi").cx;
  const int shift = justification == kJustifyCenter  ? (wide - narrow) / 2
                    : justification == kJustifyRight ? wide - narrow
                                                     : 0;
  EXPECT_GT(wide - narrow, 1);
  canvas.ExtTextOutW(x, y, u"WWWW");
  if (escapement == 900)  // the second line one line height to the right, justified upwards
    canvas.ExtTextOutW(x + h, y - shift, u"Wi");
  else
    canvas.ExtTextOutW(x + shift, y + h, u"Wi");
  return reference;
}

TEST(MultiLineText, JustifiesAlongTheTurnedBaselineAndStacksDownwards) {
  for (int escapement : {0, 900})
    for (uint8_t justification : {kJustifyLeft, kJustifyCenter, kJustifyRight, uint8_t{9}}) {
      SCOPED_TRACE(testing::Message() << escapement << " " << int{justification});
      const int x = 20, y = escapement ? 120 : 20;
      TBitmap drawn = Filled(160, 160, kWhite);
      UseFont(drawn, -16, escapement);
      DrawMultiLineText(drawn, u"WWWW\r\nWi", x, y, justification);
      const uint8_t expected = justification > kJustifyRight ? uint8_t{0} : justification;
      const TBitmap reference = SingleLineReference(escapement, expected, x, y);
      EXPECT_GT(CountChanged(reference, Filled(160, 160, kWhite)), 0);
      EXPECT_TRUE(SamePixels(drawn, reference));
    }
}

TEST(SmoothText, ScaleFollowsTheFontHeightValue) {
  const std::pair<int, int> cases[] = {{-16, 4}, {-100, 4}, {0, 4}, {14, 4}, {15, 2}, {20, 2}};
  for (const auto& [height, scale] : cases) EXPECT_EQ(TextSmoothingScale(height), scale);
}

TEST(ResizeSteps, FilteredShrinkStepsBySixTenthsOnlyWhenFarEnough) {
  EXPECT_EQ(ShrinkSteps(100, 100, 20, 20),
            (std::vector<std::pair<int, int>>{{60, 60}, {36, 36}, {22, 22}, {20, 20}}));
  EXPECT_EQ(ShrinkSteps(100, 100, 70, 70), (std::vector<std::pair<int, int>>{{70, 70}}));
  // Index 0 shrinks in one Triangle pass; index 1 (Triangle too) steps and so differs.
  TBitmap source = Filled(100, 100, kWhite);
  for (int i = 0; i < 100; i += 3) source.FillRect({i, 0, i + 1, 100}, kBlack);
  TBitmap one_pass(20, 20, plat::TPixelFormat::pf24bit), index0, index1;
  FilteredStretch(source, one_pass, FilterByIndex(1));
  Stretch(20, 20, index0, 0, true, source);
  Stretch(20, 20, index1, 1, true, source);
  EXPECT_TRUE(SamePixels(index0, one_pass));
  EXPECT_FALSE(SamePixels(index1, one_pass));
}

TEST(ComposeThroughMask, WhiteMaskKeepsTheBackgroundAndTheImageEdgeClips) {
  TBitmap image = Filled(3, 2, kGreen);
  const TBitmap background = Filled(3, 1, plat::RGB(1, 2, 3));
  const TBitmap result = Filled(3, 1, plat::RGB(200, 100, 50));
  TBitmap mask = Filled(3, 1, kWhite);
  mask.SetPixelColor(1, 0, plat::RGB(255, 255, 254));  // not pure white
  mask.SetPixelColor(2, 0, kBlack);
  ComposeThroughMask(image, background, result, {-1, 1, 2, 2}, mask);
  // Column 0 of the bitmaps lies left of the image; columns 1 and 2 land on x 0 and 1.
  EXPECT_EQ(image.PixelColor(0, 1), plat::RGB(200, 100, 50));
  EXPECT_EQ(image.PixelColor(1, 1), plat::RGB(200, 100, 50));
  EXPECT_EQ(image.PixelColor(2, 1), kGreen);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(image.PixelColor(x, 0), kGreen);
  ComposeThroughMask(image, background, result, {1, 0, 4, 1}, Filled(3, 1, kWhite));
  EXPECT_EQ(image.PixelColor(1, 0), plat::RGB(1, 2, 3));
  EXPECT_THROW(ComposeThroughMask(image, background, result, {0, 0, 3, 1}, Filled(2, 1, kWhite)),
               plat::EInvalidGraphicOperation);
}

// Every pixel the smooth text changed lies within `reach` pixels of a glyph pixel of the plain
// text; returns how many it changed.
int ChangedNearGlyphs(const TBitmap& before, const TBitmap& smooth, const TBitmap& plain,
                      int reach) {
  int changed = 0;
  for (int y = 0; y < before.Height(); ++y)
    for (int x = 0; x < before.Width(); ++x) {
      if (smooth.PixelColor(x, y) == before.PixelColor(x, y)) continue;
      ++changed;
      bool near = false;
      for (int dy = -reach; dy <= reach && !near; ++dy)
        for (int dx = -reach; dx <= reach && !near; ++dx)
          near = plain.PixelColor(std::clamp(x + dx, 0, before.Width() - 1),
                                  std::clamp(y + dy, 0, before.Height() - 1)) == kBlack;
      EXPECT_TRUE(near) << x << "," << y;
    }
  return changed;
}

TEST(SmoothText, ClearBrushChangesOnlyPixelsAroundTheGlyphs) {
  for (int escapement : {0, 450, 900, 1800, 2700, -450, 3600, 4500}) {
    SCOPED_TRACE(escapement);
    const TBitmap before = Filled(120, 120, kGreen);
    TBitmap plain = before, smooth = before;
    for (TBitmap* b : {&plain, &smooth}) {
      UseFont(*b, -16, escapement);
      b->Canvas().Brush.Style = plat::TBrushStyle::bsClear;
    }
    DrawMultiLineText(plain, u"Hg\nIW", 60, 60, kJustifyLeft);
    DrawAntialiasedText(smooth, 60, 60, u"Hg\nIW", 1, kJustifyLeft);
    EXPECT_GT(ChangedNearGlyphs(before, smooth, plain, 3), 40);
  }
}

TEST(SmoothText, SolidBrushGivesTheWholeCellTheBrushColour) {
  TBitmap image = Filled(120, 60, kGreen);
  UseFont(image, -16);
  image.Canvas().Brush = {kWhite, plat::TBrushStyle::bsSolid};
  const plat::TSize cell = image.Canvas().TextExtent("Hello");
  DrawAntialiasedText(image, 10, 10, u"Hello", 1, kJustifyLeft);
  int grey = 0;
  // The cell of the enlarged font need not be exactly four times as high: leave its edges out.
  for (int y = 12; y < 10 + cell.cy - 2; ++y)
    for (int x = 12; x < 10 + cell.cx - 2; ++x) {
      const TColor c = image.PixelColor(x, y);
      // Only white and black were mixed here: no green is left.
      ASSERT_TRUE(plat::GetRValue(c) == plat::GetGValue(c) &&
                  plat::GetGValue(c) == plat::GetBValue(c))
          << x << "," << y;
      grey += c != kWhite;
    }
  EXPECT_GT(grey, 20);  // the glyphs
  // The mask marks the cell alone, so nothing around it changes.
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool in_cell = x >= 10 && x < 10 + cell.cx && y >= 10 && y < 10 + cell.cy;
      if (!in_cell) {
        ASSERT_EQ(image.PixelColor(x, y), kGreen) << x << "," << y;
      }
    }
}

// Draws on a small image whose corner the drawing overhangs, and on a large one where the same
// drawing lies whole, 20 pixels further right and down.
struct EdgeCase {
  const char* name;
  void (*draw)(TBitmap& image, int offset);
};

void EdgeEllipse(TBitmap& image, int offset) {
  image.Canvas().Pen = {kBlack, plat::TPenMode::pmCopy, 3, plat::TPenStyle::psSolid};
  image.Canvas().Brush = {plat::RGB(200, 0, 0), plat::TBrushStyle::bsSolid};
  DrawAntialiasedShape({-12 + offset, -8 + offset, 11 + offset, 13 + offset}, image, stEllipse, 0);
}
void EdgeText(TBitmap& image, int offset) {
  UseFont(image, -16, 300);
  image.Canvas().Brush.Style = plat::TBrushStyle::bsClear;
  DrawAntialiasedText(image, -9 + offset, 12 + offset, u"Wave", 0, kJustifyLeft);
}
void EdgePolygon(TBitmap& image, int offset) {
  image.Canvas().Pen.Width = 2;
  DrawAntialiasedPolygon(
      {{-15 + offset, 5 + offset}, {12 + offset, -9 + offset}, {8 + offset, 14 + offset}}, image,
      0);
}

TEST(SmoothDrawing, OverhangingTheImageChangesItsPixelsAsAWholeDrawingWould) {
  for (const EdgeCase& c : {EdgeCase{"ellipse", EdgeEllipse}, EdgeCase{"text", EdgeText},
                            EdgeCase{"polygon", EdgePolygon}}) {
    SCOPED_TRACE(c.name);
    TBitmap small = Filled(16, 16, kGreen), large = Filled(80, 80, kGreen);
    c.draw(small, 0);
    c.draw(large, 20);
    EXPECT_GT(CountChanged(small, Filled(16, 16, kGreen)), 10);
    int worst = 0, total = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const TColor a = small.PixelColor(x, y), b = large.PixelColor(x + 20, y + 20);
        for (int shift : {0, 8, 16}) {
          const int d = std::abs(int((a >> shift) & 255) - int((b >> shift) & 255));
          worst = std::max(worst, d);
          total += d;
        }
      }
    // The shrink's scale depends on the size of the working area, which the image edge cuts, so
    // the two drawings differ a little, but only a little.
    EXPECT_LT(worst, 128);
    EXPECT_LT(total, 2 * 16 * 16 * 3);
  }
}

TEST(SmoothDrawing, FarOutsideTheImageChangesNothing) {
  const TBitmap before = Filled(16, 16, kGreen);
  TBitmap image = before;
  DrawAntialiasedShape({INT32_MIN, INT32_MIN, -100, -100}, image, stRectangle, 1);
  DrawAntialiasedShape({1000, 5, INT32_MAX, 6}, image, stLine, 1);
  UseFont(image, -16);
  DrawAntialiasedText(image, INT32_MAX, 0, u"Far", 1, kJustifyLeft);
  EXPECT_TRUE(SamePixels(image, before));
}

TEST(SmoothDrawing, BezierNeedsThreeNPlusOnePoints) {
  const std::vector<plat::TPoint> five{{2, 2}, {10, 30}, {30, 2}, {38, 30}, {20, 20}};
  const TBitmap before = Filled(40, 40, kWhite);
  TBitmap image = before;
  DrawAntialiasedPolyBezier(five, image, 1);
  EXPECT_TRUE(SamePixels(image, before));
  DrawAntialiasedPolyBezier({five.begin(), five.begin() + 4}, image, 1);
  EXPECT_GT(CountChanged(image, before), 20);
  DrawAntialiasedPolygon({}, image, 1);
}

// The smoothed drawing of a rectangle with a pen width and a filter index.
TBitmap SmoothRectangle(int pen_width, uint8_t filter) {
  TBitmap image = Filled(40, 40, kWhite);
  image.Canvas().Pen.Width = pen_width;
  DrawAntialiasedShape({5, 5, 30, 25}, image, stRectangle, filter);
  return image;
}

TEST(SmoothDrawing, PenBelowOnePixelDrawsOneWideAndUnknownFiltersUseTriangle) {
  const TBitmap one = SmoothRectangle(1, 1);
  EXPECT_GT(CountChanged(one, Filled(40, 40, kWhite)), 50);
  EXPECT_TRUE(SamePixels(SmoothRectangle(0, 1), one));
  EXPECT_TRUE(SamePixels(SmoothRectangle(-7, 1), one));
  const TBitmap triangle = SmoothRectangle(1, 0);
  EXPECT_TRUE(SamePixels(SmoothRectangle(1, 7), triangle));
  EXPECT_TRUE(SamePixels(SmoothRectangle(1, 255), triangle));
  EXPECT_FALSE(SamePixels(SmoothRectangle(1, 5), triangle));
}

TEST(SmoothDrawing, WorkingBitmapsBeyondThePixelBudgetAreRefused) {
  TBitmap image = Filled(400, 400, kGreen);
  UseFont(image, -2000);
  plat::SetPixelBudget(plat::PixelBytesInUse() + 3 * 1024 * 1024);
  try {
    DrawAntialiasedText(image, 0, 0, u"W", 1, kJustifyLeft);
    ADD_FAILURE() << "drew beyond the budget";
  } catch (const plat::EImageTooLarge& e) {
    EXPECT_STREQ(e.what(), kDrawingTooLarge);
  }
  plat::SetPixelBudget(0);
  EXPECT_EQ(CountChanged(image, Filled(400, 400, kGreen)), 0);
}

}  // namespace
}  // namespace pictavo
