// Rendering frames (plain, masked, dithered) and drawing them onto a canvas.
#include <gtest/gtest.h>

#include "control/formats/gif/gif_reduce.h"
#include "gif_frame_builder.h"
#include "gif_test_support.h"

namespace pictavo::test {
namespace {

const plat::TColor kBackdrop = plat::RGB(10, 200, 30);

// The web-safe cube index of a colour whose channels are multiples of 51.
int CubeIndex(plat::TColor c) {
  return plat::GetRValue(c) / 51 * 36 + plat::GetGValue(c) / 51 * 6 + plat::GetBValue(c) / 51;
}

std::vector<plat::TColor> PixelsOf(const plat::TBitmap& bitmap, const plat::TRect& r) {
  std::vector<plat::TColor> out;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) out.push_back(bitmap.PixelColor(x, y));
  return out;
}

TEST(GIFRendering, RenderedBitmapPlacesFrameZeroOnTheLogicalScreen) {
  ScratchDir dir;
  struct Case {
    int screen_w, screen_h;
    FrameSpec frame;
  };
  for (const Case& c : {Case{3, 2, {0, 0, 3, 2, {0, 1, 2, 2, 1, 0}}},
                        Case{6, 5, {2, 1, 3, 2, {0, 1, 2, 2, 1, 0}}}}) {
    auto image = BuildImage(c.screen_w, c.screen_h, {kRed, kGreen, kBlue}, {c.frame});
    image->SaveToFile(dir.Path("r.gif"));
    RgbImage referee = DecodeWithImageMagick(dir.Path("r.gif"));
    const plat::TBitmap* rendered = image->RenderedBitmap();
    ASSERT_NE(rendered, nullptr);
    ASSERT_EQ(rendered->Width(), c.screen_w);
    ASSERT_EQ(rendered->Height(), c.screen_h);
    ASSERT_EQ(referee.left, c.frame.left);
    for (int y = 0; y < c.screen_h; ++y)
      for (int x = 0; x < c.screen_w; ++x) {
        const int fx = x - c.frame.left, fy = y - c.frame.top;
        const bool inside = fx >= 0 && fy >= 0 && fx < c.frame.width && fy < c.frame.height;
        const size_t at = size_t(fy * referee.width + fx) * 3;
        plat::TColor expected =
            inside ? plat::RGB(referee.rgb[at], referee.rgb[at + 1], referee.rgb[at + 2]) : 0;
        EXPECT_EQ(rendered->PixelColor(x, y), expected) << x << "," << y;
      }
    if (c.frame.width == c.screen_w) {
      EXPECT_EQ(PixelsOf(*rendered, {0, 0, 3, 2}),
                PixelsOf(*image->Frames().FrameAt(0)->RenderBitmap(), {0, 0, 3, 2}));
    }
  }
}

TEST(GIFRendering, MaskMarksExactlyTheTransparentPixels) {
  auto image = BuildImage(3, 2, {kRed, kGreen, kBlue}, {{0, 0, 3, 2, {0, 2, 1, 2, 2, 0}, 2}});
  TGIFSubImage& frame = *image->Frames().FrameAt(0);
  EXPECT_TRUE(frame.MaskPending());
  ASSERT_TRUE(frame.HasMask());
  EXPECT_FALSE(frame.MaskPending());
  const plat::TBitmap& mask = *frame.TransparencyMask();
  EXPECT_EQ(mask.PixelFormat(), plat::TPixelFormat::pf1bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(mask.PixelColor(x, y) != 0, frame.PixelIndex(x, y) == 2) << x << "," << y;
  frame.DropMask();
  EXPECT_TRUE(frame.MaskPending());
  EXPECT_EQ(frame.TransparencyMask(), nullptr);
}

TEST(GIFRendering, TransparentDrawingKeepsTheTargetOnlyUnderUsedTransparentPixels) {
  struct Case {
    std::vector<uint8_t> pixels;
    bool mask_expected;
  };
  // Index 2 is transparent; the second frame never uses it and so draws opaque.
  for (const Case& c : {Case{{0, 2, 1, 2, 2, 0}, true}, Case{{0, 1, 1, 0, 0, 1}, false}}) {
    auto image = BuildImage(3, 2, {kRed, kGreen, kBlue}, {{0, 0, 3, 2, c.pixels, 2}});
    TGIFSubImage& frame = *image->Frames().FrameAt(0);
    EXPECT_EQ(frame.HasMask(), c.mask_expected);
    plat::TBitmap target = FilledBitmap(3, 2, kBackdrop);
    image->Draw(target.Canvas(), {0, 0, 3, 2});
    const plat::TColor colours[] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 6; ++i) {
      const plat::TColor expected = c.pixels[i] == 2 ? kBackdrop : colours[c.pixels[i]];
      EXPECT_EQ(target.PixelColor(i % 3, i / 3), expected) << i;
    }
  }
}

TEST(GIFRendering, DitheredRenderingUsesTheWebSafeCube) {
  for (plat::TColor transparent : {kWhite, plat::RGB(51, 102, 153), plat::RGB(0, 0, 0)}) {
    const std::vector<plat::TColor> colours = {kRed, plat::RGB(0, 153, 255), transparent,
                                               plat::RGB(204, 51, 0)};
    auto image = BuildImage(4, 3, colours, {{0, 0, 4, 3, {0, 1, 2, 3, 3, 2, 1, 0, 2, 2, 0, 1}, 2}});
    image->PaintFlags = paDither;
    TGIFSubImage& frame = *image->Frames().FrameAt(0);
    const plat::TBitmap& bitmap = *frame.RenderBitmap();
    const plat::TColorTable web = WebSafePalette();
    EXPECT_TRUE(std::equal(web.begin(), web.end(), bitmap.Palette().begin()));
    ASSERT_TRUE(frame.HasMask());
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        const uint8_t index = bitmap.ScanLine(y)[x];
        ASSERT_LT(index, 216);
        // Every colour here is web-safe, so nothing is carried and each maps to its own entry;
        // the masked pixels hold the transparent colour's entry.
        EXPECT_EQ(index, CubeIndex(colours[frame.PixelIndex(x, y)])) << x << "," << y;
      }
  }
}

TEST(GIFRendering, DitheringFollowsTheFlagsAndTheDisplay) {
  struct Case {
    uint16_t flags;
    bool low_colour;
    bool dithers;
  };
  const bool saved = LowColourDisplay;
  for (Case c : {Case{DefaultPaintFlags, false, false}, Case{DefaultPaintFlags, true, true},
                 Case{paDither, false, true}, Case{paDitherLowColour, true, false}}) {
    LowColourDisplay = c.low_colour;
    auto image = BuildImage(2, 1, {kRed, kGreen}, {{0, 0, 2, 1, {0, 1}}});
    image->PaintFlags = c.flags;
    EXPECT_EQ(image->ShouldDither(), c.dithers);
    EXPECT_EQ(image->GetPalette().size(), c.dithers ? 216u : 2u);
  }
  LowColourDisplay = saved;
}

TEST(GIFDrawing, MapToTargetScalesTheFrameIntoTheRectangle) {
  struct Case {
    int screen_w, screen_h;
    plat::TRect rect, expected;
  };
  for (const Case& c : {Case{100, 50, {0, 0, 200, 100}, {20, 10, 60, 30}},
                        Case{100, 50, {7, 3, 57, 28}, {12, 6, 22, 11}},
                        Case{100, 50, {0, 0, 100, 50}, {10, 5, 30, 15}},
                        Case{100, 50, {5, 5, 5, 5}, {5, 5, 5, 5}}}) {
    auto image = BuildImage(c.screen_w, c.screen_h, {kRed}, {{10, 5, 20, 10, {}}});
    EXPECT_EQ(image->Frames().FrameAt(0)->MapToTarget(c.rect), c.expected);
  }
}

TEST(GIFDrawing, AnEmptyLogicalScreenDrawsNothing) {
  auto image = BuildImage(2, 2, {kRed}, {{0, 0, 2, 2, {0, 0, 0, 0}}});
  image->Header().LogicalScreenWidth = 0;
  plat::TBitmap target = FilledBitmap(4, 4, kBackdrop);
  image->Frames().FrameAt(0)->Draw(target.Canvas(), {0, 0, 4, 4}, false, false);
  image->Frames().FrameAt(0)->Draw(target.Canvas(), {0, 0, 4, 4}, true, false);
  EXPECT_EQ(PixelsOf(target, {0, 0, 4, 4}), std::vector<plat::TColor>(16, kBackdrop));
}

TEST(GIFDrawing, TilesStartAtTheFrameOffsetAndStepByTheScreen) {
  // A 4 x 4 screen with a 2 x 2 frame at (1, 1), tiled over 10 x 10: tiles at 1, 5 and 9.
  for (bool transparent : {false, true}) {
    auto image = BuildImage(4, 4, {kRed, kBlue}, {{1, 1, 2, 2, {0, 1, 1, 0}, 1}});
    plat::TBitmap target = FilledBitmap(10, 10, kBackdrop);
    image->Frames().FrameAt(0)->Draw(target.Canvas(), {0, 0, 10, 10}, true, transparent);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        const int fx = (x - 1) % 4, fy = (y - 1) % 4;
        const bool in_tile = x >= 1 && y >= 1 && fx < 2 && fy < 2;
        plat::TColor expected = kBackdrop;
        if (in_tile) {
          const bool blue = fx != fy;
          expected = blue ? (transparent ? kBackdrop : kBlue) : kRed;
        }
        EXPECT_EQ(target.PixelColor(x, y), expected) << x << "," << y << " " << transparent;
      }
  }
}

TEST(GIFDrawing, MaskedStretchBlitScalesSourceAndMaskTogether) {
  plat::TBitmap source(2, 1, plat::TPixelFormat::pf24bit);
  source.SetPixelColor(0, 0, kRed);
  source.SetPixelColor(1, 0, kBlue);
  plat::TBitmap mask(2, 1, plat::TPixelFormat::pf1bit);
  mask.SetColorTable({plat::TRGBQuad::FromColor(0), plat::TRGBQuad::FromColor(kWhite)});
  mask.SetPixelColor(1, 0, kWhite);
  // An indexed target without black must not pass through black on the way.
  plat::TBitmap indexed(5, 2, plat::TPixelFormat::pf8bit);
  indexed.SetColorTable({plat::TRGBQuad::FromColor(kBackdrop), plat::TRGBQuad::FromColor(kRed),
                         plat::TRGBQuad::FromColor(kBlue)});
  for (plat::TBitmap target : {FilledBitmap(5, 2, kBackdrop), indexed}) {
    MaskedStretchBlit(target.Canvas(), 1, 0, 4, 2, source, 0, 0, 2, 1, mask, 0, 0);
    EXPECT_EQ(PixelsOf(target, {0, 0, 5, 1}),
              (std::vector<plat::TColor>{kBackdrop, kRed, kRed, kBackdrop, kBackdrop}));
    EXPECT_EQ(PixelsOf(target, {0, 1, 5, 2}), PixelsOf(target, {0, 0, 5, 1}));
  }
}

TEST(GIFDrawing, ImageDrawStretchesFrameZeroAndLaysOutTheAnimationPicture) {
  auto image = BuildImage(2, 1, {kRed, kBlue},
                          {{0, 0, 2, 1, {0, 1}, -1, 0, 10}, {0, 0, 2, 1, {1, 0}, -1, 0, 10}});
  plat::TBitmap target = FilledBitmap(4, 2, kBackdrop);
  image->PaintFlags = paTransparent;  // no animation: frame 0 stretched
  image->Draw(target.Canvas(), {0, 0, 4, 2});
  EXPECT_EQ(PixelsOf(target, {0, 0, 4, 1}), (std::vector<plat::TColor>{kRed, kRed, kBlue, kBlue}));

  image->PaintFlags = paAnimate | paTile;  // the rendered picture, tiled at the screen's size
  target = FilledBitmap(5, 2, kBackdrop);
  image->RenderedBitmap();
  image->Draw(target.Canvas(), {0, 0, 5, 2});
  EXPECT_EQ(
      PixelsOf(target, {0, 0, 5, 2}),
      (std::vector<plat::TColor>{kRed, kBlue, kRed, kBlue, kRed, kRed, kBlue, kRed, kBlue, kRed}));
}

}  // namespace
}  // namespace pictavo::test
