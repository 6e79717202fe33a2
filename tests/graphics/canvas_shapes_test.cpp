// Shapes in GDI geometry, judged by the box of the pixels they change.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "graphics/canvas_probe.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace plat {
namespace {

using velmora_test::Bounds;
using velmora_test::ChangesOf;

constexpr TColor kPaper = RGB(255, 255, 255);
constexpr TColor kInk = RGB(200, 0, 0);
constexpr TColor kFill = RGB(0, 0, 180);

TBitmap Paper(int width, int height) {
  TBitmap bitmap(width, height, TPixelFormat::pf24bit);
  bitmap.FillRect({0, 0, width, height}, kPaper);
  return bitmap;
}

TEST(CanvasShapes, BoxesLeaveTheirRightAndBottomEdgesOut) {
  const TBitmap paper = Paper(40, 40);
  EXPECT_EQ(ChangesOf(paper,
                      [](TCanvas& c) {
                        c.Brush.Color = kFill;
                        c.Rectangle(0, 0, 10, 10);
                      }),
            Bounds(0, 0, 9, 9, 100));
  // Without a pen the brush alone fills one pixel less each way.
  EXPECT_EQ(ChangesOf(paper,
                      [](TCanvas& c) {
                        c.Pen.Style = TPenStyle::psClear;
                        c.Brush.Color = kFill;
                        c.Rectangle(0, 0, 10, 10);
                      }),
            Bounds(0, 0, 8, 8, 81));
  const auto ellipse = ChangesOf(paper, [](TCanvas& c) { c.Ellipse(5, 5, 16, 16); });
  EXPECT_EQ(ellipse.left, 5);
  EXPECT_EQ(ellipse.top, 5);
  EXPECT_EQ(ellipse.right, 15);
  EXPECT_EQ(ellipse.bottom, 15);
  const auto round = ChangesOf(paper, [](TCanvas& c) { c.RoundRect(2, 3, 22, 13, 8, 6); });
  EXPECT_EQ(round.left, 2);
  EXPECT_EQ(round.right, 21);
  EXPECT_EQ(round.top, 3);
  EXPECT_EQ(round.bottom, 12);
  // The rounded corners are left out.
  TBitmap drawn = paper;
  drawn.Canvas().RoundRect(2, 3, 22, 13, 8, 6);
  EXPECT_EQ(drawn.PixelColor(2, 3), kPaper);
  EXPECT_NE(drawn.PixelColor(12, 3), kPaper);
}

TEST(CanvasShapes, ALineLeavesItsLastPixelOut) {
  TBitmap drawn = Paper(20, 5);
  TCanvas& c = drawn.Canvas();
  c.Pen.Color = kInk;
  c.MoveTo(0, 0);
  c.LineTo(10, 0);
  EXPECT_EQ(drawn.PixelColor(9, 0), kInk);
  EXPECT_EQ(drawn.PixelColor(10, 0), kPaper);
  EXPECT_EQ(c.PenPos(), (TPoint{10, 0}));
  EXPECT_EQ(velmora_test::Changes(Paper(20, 5), drawn), Bounds(0, 0, 9, 0, 10));
  // A diagonal steps once per pixel, both ways.
  EXPECT_EQ(ChangesOf(Paper(20, 20),
                      [](TCanvas& c) {
                        c.MoveTo(12, 14);
                        c.LineTo(2, 4);
                      }),
            Bounds(3, 5, 12, 14, 10));
}

TEST(CanvasShapes, WidePensHaveRoundEndsAndZeroWidthDrawsAsOne) {
  TBitmap drawn = Paper(40, 20);
  TCanvas& c = drawn.Canvas();
  c.Pen.Width = 5;
  c.MoveTo(10, 10);
  c.LineTo(30, 10);
  const auto box = velmora_test::Changes(Paper(40, 20), drawn);
  EXPECT_EQ(box.left, 8);
  EXPECT_EQ(box.right, 32);
  EXPECT_EQ(box.top, 8);
  EXPECT_EQ(box.bottom, 12);
  EXPECT_NE(drawn.PixelColor(8, 10), kPaper) << "the end reaches out by half the width";
  EXPECT_EQ(drawn.PixelColor(8, 8), kPaper) << "a square end would cover its corner";
  EXPECT_NE(drawn.PixelColor(20, 8), kPaper);
  EXPECT_EQ(ChangesOf(Paper(20, 5),
                      [](TCanvas& c) {
                        c.Pen.Width = 0;
                        c.MoveTo(0, 1);
                        c.LineTo(10, 1);
                      }),
            Bounds(0, 1, 9, 1, 10));
}

TEST(CanvasShapes, InsideFrameKeepsAWidePenInsideTheBox) {
  const TBitmap paper = Paper(50, 50);
  const auto draw = [&](TPenStyle style, bool ellipse) {
    return ChangesOf(paper, [&](TCanvas& c) {
      c.Pen.Width = 5;
      c.Pen.Style = style;
      if (ellipse)
        c.Ellipse(10, 10, 30, 30);
      else
        c.Rectangle(10, 10, 30, 30);
    });
  };
  for (bool ellipse : {false, true}) {
    const auto inside = draw(TPenStyle::psInsideFrame, ellipse);
    EXPECT_EQ(inside.left, 10) << ellipse;
    EXPECT_EQ(inside.top, 10) << ellipse;
    EXPECT_EQ(inside.right, 29) << ellipse;
    EXPECT_EQ(inside.bottom, 29) << ellipse;
    const auto centred = draw(TPenStyle::psSolid, ellipse);
    EXPECT_LT(centred.left, 10) << "a centred pen leaves the box";
    EXPECT_GT(centred.right, 29);
  }
}

TEST(CanvasShapes, ArcsRunCounterClockwiseFromTheStartRayToTheEndRay) {
  const TBitmap paper = Paper(40, 40);
  // Box 10..30 with its centre at (20, 20): start at 3 o'clock, end at 12 o'clock.
  const auto arc = ChangesOf(paper, [](TCanvas& c) { c.Arc(10, 10, 31, 31, 35, 20, 20, 2); });
  const auto pie = ChangesOf(paper, [](TCanvas& c) { c.Pie(10, 10, 31, 31, 35, 20, 20, 2); });
  const auto chord = ChangesOf(paper, [](TCanvas& c) { c.Chord(10, 10, 31, 31, 35, 20, 20, 2); });
  for (const auto& quarter : {arc, pie, chord}) {
    EXPECT_GE(quarter.left, 20) << quarter;
    EXPECT_LE(quarter.bottom, 20) << quarter;
    EXPECT_EQ(quarter.right, 30) << quarter;
    EXPECT_EQ(quarter.top, 10) << quarter;
  }
  EXPECT_LT(arc.count, pie.count) << "the pie is filled";
  // The other way round covers the other three quarters.
  const auto rest = ChangesOf(paper, [](TCanvas& c) { c.Arc(10, 10, 31, 31, 20, 2, 35, 20); });
  EXPECT_EQ(rest.left, 10);
  EXPECT_EQ(rest.bottom, 30);
  // The same ray twice is the whole ellipse.
  const auto whole = ChangesOf(paper, [](TCanvas& c) { c.Arc(10, 10, 31, 31, 35, 20, 35, 20); });
  EXPECT_EQ(whole, ChangesOf(paper, [](TCanvas& c) {
              c.Brush.Style = TBrushStyle::bsClear;
              c.Ellipse(10, 10, 31, 31);
            }));
}

TEST(CanvasShapes, PolygonFillsAlternateAndPolyBezierNeedsThreeNPlusOnePoints) {
  TBitmap star = Paper(60, 60);
  TCanvas& c = star.Canvas();
  c.Pen.Color = kInk;
  c.Brush.Color = kFill;
  c.Polygon({{30, 2}, {47, 55}, {3, 21}, {57, 21}, {13, 55}});
  EXPECT_EQ(star.PixelColor(30, 10), kFill) << "a point of the star";
  EXPECT_EQ(star.PixelColor(30, 33), kPaper) << "the centre is crossed twice";
  const std::vector<TPoint> curve{{2, 2}, {10, 30}, {30, 30}, {38, 2}, {45, 10}};
  const TBitmap paper = Paper(50, 40);
  const auto four = ChangesOf(paper, [&](TCanvas& c) {
    c.PolyBezier({curve.begin(), curve.begin() + 4});
  });
  EXPECT_EQ(four.left, 2);
  EXPECT_EQ(four.top, 2);
  EXPECT_GT(four.bottom, 15);
  EXPECT_EQ(ChangesOf(paper, [&](TCanvas& c) { c.PolyBezier(curve); }).count, 0);
}

// Run lengths of the pen and gap colours along row y, from x = 0 to the first untouched pixel.
std::vector<int> Runs(const TBitmap& bitmap, int y, int length) {
  std::vector<int> runs;
  TColor current = bitmap.PixelColor(0, y);
  int run = 0;
  for (int x = 0; x < length; ++x) {
    if (bitmap.PixelColor(x, y) != current) {
      runs.push_back(run);
      current = bitmap.PixelColor(x, y);
      run = 0;
    }
    ++run;
  }
  runs.push_back(run);
  return runs;
}

TEST(CanvasShapes, DashesFollowTheCosmeticPatternsAndGapsFollowTheBackground) {
  struct Case {
    TPenStyle style;
    std::vector<int> pattern;
  };
  const Case cases[] = {{TPenStyle::psDash, {18, 6}},
                        {TPenStyle::psDot, {3, 3}},
                        {TPenStyle::psDashDot, {9, 6, 3, 6}},
                        {TPenStyle::psDashDotDot, {9, 3, 3, 3, 3, 3}}};
  constexpr int kLength = 144;  // a whole number of every period
  for (const Case& test : cases)
    for (TBrushStyle brush : {TBrushStyle::bsSolid, TBrushStyle::bsClear}) {
      TBitmap drawn = Paper(kLength + 10, 3);
      TCanvas& c = drawn.Canvas();
      c.Pen.Color = kInk;
      c.Pen.Style = test.style;
      c.Brush.Color = kFill;
      c.Brush.Style = brush;
      c.MoveTo(0, 1);
      c.LineTo(kLength, 1);
      std::vector<int> want;
      for (int total = 0; total < kLength;)
        for (int run : test.pattern) want.push_back(run), total += run;
      EXPECT_EQ(Runs(drawn, 1, kLength), want) << static_cast<int>(test.style);
      EXPECT_EQ(drawn.PixelColor(0, 1), kInk);
      const int first_gap = test.pattern[0];
      EXPECT_EQ(drawn.PixelColor(first_gap, 1), brush == TBrushStyle::bsSolid ? kFill : kPaper)
          << static_cast<int>(test.style);
    }
}

// The hatched pixels of a filled box, relative to the bitmap's origin.
std::vector<std::vector<bool>> Hatched(TBrushStyle style, int left, int top) {
  TBitmap drawn = Paper(48, 48);
  TCanvas& c = drawn.Canvas();
  c.Brush.Style = style;
  c.Brush.Color = kFill;
  c.FillRect({left, top, left + 24, top + 24});
  std::vector<std::vector<bool>> on(48, std::vector<bool>(48));
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      const TColor colour = drawn.PixelColor(x, y);
      EXPECT_TRUE(colour == kFill || colour == kPaper);
      const bool in_box = x >= left && x < left + 24 && y >= top && y < top + 24;
      EXPECT_TRUE(in_box || colour == kPaper) << x << "," << y;
      on[y][x] = colour == kFill;
    }
  return on;
}

TEST(CanvasShapes, HatchesAreEightByEightTablesAnchoredAtTheOrigin) {
  // Which lines each hatch draws, as a rule on (x mod 8, y mod 8) that holds for one offset.
  struct Case {
    TBrushStyle style;
    int lines_per_tile;  // pixels of one 8 x 8 tile that are set
    bool (*same_line)(int x1, int y1, int x2, int y2);
  };
  const Case cases[] = {
      {TBrushStyle::bsHorizontal, 8, [](int, int y1, int, int y2) { return y1 % 8 == y2 % 8; }},
      {TBrushStyle::bsVertical, 8, [](int x1, int, int x2, int) { return x1 % 8 == x2 % 8; }},
      {TBrushStyle::bsFDiagonal, 8,
       [](int x1, int y1, int x2, int y2) { return (x1 - y1 + 64) % 8 == (x2 - y2 + 64) % 8; }},
      {TBrushStyle::bsBDiagonal, 8,
       [](int x1, int y1, int x2, int y2) { return (x1 + y1) % 8 == (x2 + y2) % 8; }},
      {TBrushStyle::bsCross, 15, nullptr},
      {TBrushStyle::bsDiagCross, 16, nullptr},
  };
  for (const Case& test : cases) {
    const auto at_origin = Hatched(test.style, 0, 0);
    const auto moved = Hatched(test.style, 13, 7);
    int tile = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) tile += at_origin[y][x];
    EXPECT_EQ(tile, test.lines_per_tile) << static_cast<int>(test.style);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) {
        EXPECT_EQ(at_origin[y][x], at_origin[y % 8][x % 8]) << "repeats every 8";
        const int mx = x + 13, my = y + 7;  // inside the moved box
        EXPECT_EQ(moved[my][mx], at_origin[my % 8][mx % 8]) << "anchored at the bitmap origin";
      }
    if (!test.same_line) continue;
    int x0 = -1, y0 = -1;
    for (int y = 0; y < 8 && x0 < 0; ++y)
      for (int x = 0; x < 8 && x0 < 0; ++x)
        if (at_origin[y][x]) x0 = x, y0 = y;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        EXPECT_EQ(at_origin[y][x], test.same_line(x0, y0, x, y))
            << static_cast<int>(test.style) << " at " << x << "," << y;
  }
}

// Coordinates near the ends of the 32-bit range are clipped before anything is rasterised.
void DrawAcrossTheWholeRange() {
  constexpr int kMin = INT_MIN, kMax = INT_MAX;
  TBitmap drawn = Paper(64, 64);
  TCanvas& c = drawn.Canvas();
  c.Pen.Color = kInk;
  c.Brush.Color = kFill;
  c.Rectangle(kMin, kMin, kMax, kMax);
  EXPECT_EQ(drawn.PixelColor(0, 0), kFill);
  EXPECT_EQ(drawn.PixelColor(63, 63), kFill);
  c.MoveTo(kMin, 10);
  c.LineTo(kMax, 10);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(drawn.PixelColor(x, 10), kInk) << x;
  c.Pen.Style = TPenStyle::psDashDot;
  c.MoveTo(kMax, kMin);
  c.LineTo(kMin, kMax);
  c.Pen.Width = 7;
  c.MoveTo(kMin, kMin);
  c.LineTo(kMax, kMax);
  EXPECT_EQ(drawn.PixelColor(32, 32), kInk);
  c.Pen.Width = 1;
  c.Pen.Style = TPenStyle::psSolid;
  c.Ellipse(kMin, kMin, kMax, kMax);
  c.Ellipse(kMin, 20, kMax, 40);
  c.RoundRect(kMin, kMin, kMax, kMax, kMax, kMax);
  c.Pie(kMin, kMin, kMax, kMax, kMax, 0, 0, kMin);
  c.Chord(kMax - 5, kMax - 5, kMax, kMax, kMin, kMin, kMax, kMax);
  c.Polygon({{kMin, kMin}, {kMax, 0}, {0, kMax}, {kMin, kMax}});
  c.PolyBezier({{kMin, kMin}, {kMax, kMin}, {kMin, kMax}, {kMax, kMax}});
  c.Brush.Style = TBrushStyle::bsDiagCross;
  c.FillRect({kMin, kMin, kMax, kMax});
  c.FloodFill(5, 5, kInk, TFillStyle::fsBorder);
  c.Font.LogFont.lfEscapement = 450;
  c.TextOut(kMin, kMin, "far away");
  c.TextOut(kMax, 30, "far away");
  c.Font.LogFont.lfHeight = kMin;
  c.TextOut(kMin + 5, 0, "W");
  EXPECT_EQ(drawn.Width(), 64);
}

// Caps this process's address space a little above what it uses now, so a mask sized by the
// coordinates rather than the bitmap fails. The sanitizers reserve vast shadow memory: no cap
// there.
void LimitAddressSpace() {
#if !defined(__SANITIZE_ADDRESS__)
  std::ifstream statm("/proc/self/statm");
  uint64_t pages = 0;
  statm >> pages;
  const rlim_t limit = pages * sysconf(_SC_PAGESIZE) + (rlim_t{256} << 20);
  const rlimit cap{limit, limit};
  setrlimit(RLIMIT_AS, &cap);
#endif
}

TEST(CanvasShapesDeathTest, HugeCoordinatesAreClippedToTheBitmap) {
  EXPECT_EXIT(
      {
        LimitAddressSpace();
        DrawAcrossTheWholeRange();
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace plat
