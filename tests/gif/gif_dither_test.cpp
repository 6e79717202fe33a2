// Colour lookups and ditherers of the GIF colour reduction, checked against the numbers the
// lookups and kernels are defined by.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "control/formats/gif/gif_color_lookup.h"
#include "control/formats/gif/gif_dither.h"

namespace pictavo {
namespace {

plat::TRGBQuad Quad(int r, int g, int b) {
  return {uint8_t(b), uint8_t(g), uint8_t(r), 0};
}

TEST(GIFColorLookup, FastLookupAnswersACellOnceAndTheFirstOfEqualDistancesWins) {
  TRGBValue out;
  {
    // (9,9,9) and (15,15,15) share the cell (1,1,1): the first answer (entry 0) stays, although
    // entry 1 is nearer to the second colour.
    TFastColorLookup lookup({Quad(0, 0, 0), Quad(20, 20, 20)});
    EXPECT_EQ(lookup.Lookup({9, 9, 9}, out), 0);
    EXPECT_EQ(lookup.Lookup({15, 15, 15}, out), 0);
    EXPECT_EQ(out, (TRGBValue{0, 0, 0}));
    // (19,19,19) lies in cell (2,2,2), which entry 1 owns from the start.
    EXPECT_EQ(lookup.Lookup({19, 19, 19}, out), 1);
    EXPECT_EQ(out, (TRGBValue{20, 20, 20}));
  }
  {
    // The first palette entry of a cell owns it from the start, even for the other's exact colour.
    TFastColorLookup lookup({Quad(0, 0, 0), Quad(7, 7, 7)});
    EXPECT_EQ(lookup.Lookup({7, 7, 7}, out), 0);
  }
  {
    // Equal distances (24 each): the earlier entry wins, whichever colour it has.
    TFastColorLookup lookup({Quad(16, 16, 16), Quad(0, 0, 0)});
    EXPECT_EQ(lookup.Lookup({8, 8, 8}, out), 0);
    EXPECT_EQ(out, (TRGBValue{16, 16, 16}));
  }
  {
    // Distance is |dr| + |dg| + |db|, not Euclidean: (0,0,90) is 90 from black and 120 from
    // (40,40,130), whose squared distance (4800 against 8100) would be smaller.
    TFastColorLookup lookup({Quad(40, 40, 130), Quad(0, 0, 0)});
    EXPECT_EQ(lookup.Lookup({0, 0, 90}, out), 1);
  }
}

TEST(GIFColorLookup, FastLookupReadsAtMost256Entries) {
  plat::TColorTable palette(300, Quad(1, 2, 3));
  palette[299] = Quad(200, 200, 200);
  TFastColorLookup lookup(palette);
  EXPECT_EQ(lookup.ColorCount(), 256);
  TRGBValue out;
  EXPECT_EQ(lookup.Lookup({200, 200, 200}, out), 0);
  EXPECT_EQ(TFastColorLookup({}).ColorCount(), 0);
}

TEST(GIFColorLookup, FixedLookupsFollowTheirFormulas) {
  TNetscapeColorLookup netscape;
  TGrayScaleLookup grey;
  TMonochromeLookup mono;
  EXPECT_EQ(netscape.ColorCount(), 216);
  EXPECT_EQ(grey.ColorCount(), 256);
  EXPECT_EQ(mono.ColorCount(), 2);
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 7)
      for (int b = 0; b < 256; b += 11) {
        TRGBValue out;
        const int rl = (r + 3) / 51, gl = (g + 3) / 51, bl = (b + 3) / 51;
        ASSERT_EQ(netscape.Lookup({r, g, b}, out), rl * 36 + gl * 6 + bl);
        ASSERT_EQ(out, (TRGBValue{51 * rl, 51 * gl, 51 * bl}));
        const int y = (77 * r + 150 * g + 29 * b) >> 8;
        ASSERT_EQ(grey.Lookup({r, g, b}, out), y);
        ASSERT_EQ(out, (TRGBValue{y, y, y}));
        const bool white = 77 * r + 150 * g + 29 * b > 32512;
        ASSERT_EQ(mono.Lookup({r, g, b}, out), white ? 1 : 0);
        ASSERT_EQ(out[0], white ? 255 : 0);
      }
}

// The kernels as published: (rows below, offset along the walk) -> weight.
struct KernelCase {
  TDitherMethod method;
  int divisor;
  std::map<std::pair<int, int>, int> weights;
};

const KernelCase kKernelCases[] = {
    {TDitherMethod::dtFloydSteinberg, 16, {{{0, 1}, 7}, {{1, -1}, 3}, {{1, 0}, 5}, {{1, 1}, 1}}},
    {TDitherMethod::dtStucki,
     42,
     {{{0, 1}, 8},
      {{0, 2}, 4},
      {{1, -2}, 2},
      {{1, -1}, 4},
      {{1, 0}, 8},
      {{1, 1}, 4},
      {{1, 2}, 2},
      {{2, -2}, 1},
      {{2, -1}, 2},
      {{2, 0}, 4},
      {{2, 1}, 2},
      {{2, 2}, 1}}},
    {TDitherMethod::dtSierra,
     32,
     {{{0, 1}, 5},
      {{0, 2}, 3},
      {{1, -2}, 2},
      {{1, -1}, 4},
      {{1, 0}, 5},
      {{1, 1}, 4},
      {{1, 2}, 2},
      {{2, -1}, 2},
      {{2, 0}, 3},
      {{2, 1}, 2}}},
    {TDitherMethod::dtJaJuNi,
     48,
     {{{0, 1}, 7},
      {{0, 2}, 5},
      {{1, -2}, 3},
      {{1, -1}, 5},
      {{1, 0}, 7},
      {{1, 1}, 5},
      {{1, 2}, 3},
      {{2, -2}, 1},
      {{2, -1}, 3},
      {{2, 0}, 5},
      {{2, 1}, 3},
      {{2, 2}, 1}}},
    {TDitherMethod::dtBurkes,
     32,
     {{{0, 1}, 8}, {{0, 2}, 4}, {{1, -2}, 2}, {{1, -1}, 4}, {{1, 0}, 8}, {{1, 1}, 4}, {{1, 2}, 2}}},
    {TDitherMethod::dtSteveArche,
     200,
     {{{0, 2}, 32},
      {{1, -3}, 12},
      {{1, -1}, 26},
      {{1, 1}, 30},
      {{1, 3}, 16},
      {{2, -2}, 12},
      {{2, 0}, 26},
      {{2, 2}, 12},
      {{3, -3}, 5},
      {{3, -1}, 12},
      {{3, 1}, 12},
      {{3, 3}, 5}}},
};

constexpr TRGBValue kBlack{0, 0, 0};
// Black through the monochrome lookup, so each channel's error is the value itself.
constexpr TRGBValue kError{100, 60, 20};

// Walks one row of `width` pixels on a monochrome lookup, all black but the pixel at column
// `hit`, which leaves kError; right-to-left when `reverse`. Returns the ditherer positioned
// just after the hit, with the accumulators the hit filled.
std::unique_ptr<TErrorDiffusionDitherer> DitherOneError(TColorLookup& lookup, TDitherMethod method,
                                                        int width, int hit, bool reverse) {
  auto ditherer =
      std::make_unique<TErrorDiffusionDitherer>(width, lookup, DiffusionKernelOf(method));
  TRGBValue out;
  if (reverse) {
    for (int x = 0; x < width; ++x) ditherer->Dither(kBlack, out);
    ditherer->NextLine();
  }
  while (ditherer->Column() != hit) ditherer->Dither(kBlack, out);
  EXPECT_EQ(ditherer->Dither(kError, out), 0);
  return ditherer;
}

TEST(GIFDither, EachKernelFillsItsAccumulatorsMirroredOnReverseRows) {
  constexpr int kWidth = 9, kHit = 4;
  TMonochromeLookup lookup;
  for (const KernelCase& kc : kKernelCases) {
    EXPECT_EQ(DiffusionKernelOf(kc.method).divisor, kc.divisor);
    const int rows = kc.weights.rbegin()->first.first + 1;
    for (bool reverse : {false, true}) {
      SCOPED_TRACE(testing::Message() << "method " << int(kc.method) << " reverse " << reverse);
      const auto ditherer = DitherOneError(lookup, kc.method, kWidth, kHit, reverse);
      const int dir = reverse ? -1 : 1;
      for (int row = 0; row < rows; ++row)
        for (int x = 0; x < kWidth; ++x) {
          const auto it = kc.weights.find({row, (x - kHit) * dir});
          const int weight = it == kc.weights.end() ? 0 : it->second;
          for (int ch = 0; ch < 3; ++ch)
            ASSERT_EQ(ditherer->Accumulator(ch, row, x), kError[ch] * weight)
                << "row " << row << " x " << x << " channel " << ch;
        }
    }
  }
}

TEST(GIFDither, TapsBesideANarrowRowAreDropped) {
  // One pixel wide: only the taps straight below land in the image.
  TMonochromeLookup lookup;
  for (const KernelCase& kc : kKernelCases)
    for (bool reverse : {false, true}) {
      SCOPED_TRACE(testing::Message() << "method " << int(kc.method) << " reverse " << reverse);
      const auto ditherer = DitherOneError(lookup, kc.method, 1, 0, reverse);
      const int rows = kc.weights.rbegin()->first.first + 1;
      for (int row = 0; row < rows; ++row) {
        const auto it = kc.weights.find({row, 0});
        const int weight = it == kc.weights.end() ? 0 : it->second;
        ASSERT_EQ(ditherer->Accumulator(0, row, 0), kError[0] * weight) << "row " << row;
      }
    }
}

TEST(GIFDither, RowsMoveUpAtNextLineAndTheNewBottomRowIsEmpty) {
  TMonochromeLookup lookup;
  const KernelCase& kc = kKernelCases[5];  // Steve Arche reaches three rows down
  // The error is made at the row's last pixel, so nothing else adds to the accumulators.
  auto ditherer = DitherOneError(lookup, kc.method, 9, 8, false);
  ditherer->NextLine();
  for (int row = 0; row < 4; ++row)
    for (int x = 0; x < 9; ++x) {
      const auto it = kc.weights.find({row + 1, x - 8});
      const int weight = it == kc.weights.end() ? 0 : it->second;
      ASSERT_EQ(ditherer->Accumulator(0, row, x), kError[0] * weight) << row << " " << x;
    }
}

TEST(GIFDither, CarriedErrorRoundsTowardZeroAndTheWantedColourIsClamped) {
  // Floyd-Steinberg on the monochrome lookup. Pixel 0 (200 grey) becomes white: error -55 each,
  // so pixel 1 carries (-385 + 8) div 16 = -23 (toward zero; flooring would give -24).
  TMonochromeLookup lookup;
  TErrorDiffusionDitherer ditherer(4, lookup, DiffusionKernelOf(TDitherMethod::dtFloydSteinberg));
  TRGBValue out;
  EXPECT_EQ(ditherer.Dither({200, 200, 200}, out), 1);
  EXPECT_EQ(ditherer.Accumulator(0, 0, 1), -55 * 7);
  // 150 - 23 = 127: luminance sum 127 * 256 = 32512 is not above the split, so black, error 127.
  EXPECT_EQ(ditherer.Dither({150, 150, 150}, out), 0);
  EXPECT_EQ(ditherer.Accumulator(0, 0, 2), 127 * 7);
  // 250 + (889 + 8) div 16 = 306, clamped to 255: white with no error left to carry.
  EXPECT_EQ(ditherer.Dither({250, 250, 250}, out), 1);
  EXPECT_EQ(ditherer.Accumulator(0, 0, 3), 0);
}

TEST(GIFDither, WalkIsSerpentineStartingLeftToRight) {
  TGrayScaleLookup lookup;
  for (int method = 0; method <= 6; ++method) {
    auto ditherer = MakeDitherer(TDitherMethod(method), 5, lookup);
    ASSERT_NE(ditherer, nullptr);
    TRGBValue out;
    std::vector<int> columns;
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(ditherer->Direction(), row % 2 == 0 ? 1 : -1);
      for (int i = 0; i < 5; ++i) {
        columns.push_back(ditherer->Column());
        ditherer->Dither({10, 10, 10}, out);
      }
      ditherer->NextLine();
    }
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 0, 1, 2, 3, 4}));
  }
  EXPECT_EQ(MakeDitherer(TDitherMethod(7), 5, lookup), nullptr);
}

}  // namespace
}  // namespace pictavo
