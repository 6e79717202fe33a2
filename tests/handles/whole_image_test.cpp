// The whole-image members of the view: shrinking to fit, scaling, and merging a second image
// read as a fresh control reads it.
#include <gtest/gtest.h>

#include "control/engine/view/pvimage.h"
#include "platform/graphics/bitmap.h"
#include "tests/graphics/referee.h"

namespace pictavo {
namespace {

TEST(ResizeFit, ShrinksKeepingTheAspectRatioAndNeverEnlarges) {
  struct Case {
    int w, h, max_w, max_h;
    bool resized;
    int new_w, new_h;
  };
  const Case cases[] = {
      {50, 40, 100, 100, false, 50, 40},   {400, 300, 100, 100, true, 100, 75},
      {300, 400, 100, 100, true, 75, 100}, {400, 300, 0, 100, false, 400, 300},
      {1000, 1, 10, 10, true, 10, 1},      {2, 3000, 100, 1, true, 1, 1},
  };
  for (const Case& c : cases) {
    TpvImage view;
    view.NewImage(c.w, c.h);
    EXPECT_EQ(view.ResizeFit(c.max_w, c.max_h), c.resized) << c.w << "x" << c.h;
    EXPECT_EQ(view.ImageWidth(), c.new_w) << c.w << "x" << c.h;
    EXPECT_EQ(view.ImageHeight(), c.new_h) << c.w << "x" << c.h;
  }
  TpvImage empty;
  EXPECT_FALSE(empty.ResizeFit(10, 10));
}

TEST(ScaleImage, RoundsTheNewWidthAndIgnoresNonPositivePercentages) {
  TpvImage view;
  view.NewImage(101, 40);
  view.ScaleImage(0);
  view.ScaleImage(-5);
  EXPECT_EQ(view.ImageWidth(), 101);
  view.ScaleImage(50);
  EXPECT_EQ(view.ImageWidth(), 51);
  EXPECT_EQ(view.ImageHeight(), 20);
}

TEST(IsBlank, ANegativeBlankTolAcceptsEveryImage) {
  TpvImage view;
  view.SetBrushColor(0);
  view.NewImage(30, 30);
  EXPECT_FALSE(view.IsBlank());
  view.SetBlankTol(-1);
  EXPECT_TRUE(view.IsBlank());
}

TEST(MergeFile, ReadsAGifLikeAFreshControlWhateverUseLZWSays) {
  velmora_test::ScratchDir dir;
  const std::string gif = dir.File("mark.gif");
  ASSERT_TRUE(velmora_test::Run("convert -size 2x2 xc:black '" + gif + "'"));
  TpvImage view;
  view.NewImage(4, 4);
  view.SetUseLZW(false);
  view.SetReadImageNumber(3);
  view.SetMergeLeft(1);
  view.MergeFile(gif);
  EXPECT_EQ(view.CurrentImage()->PixelColor(1, 0), 0u);
  EXPECT_EQ(view.CurrentImage()->PixelColor(2, 1), 0u);
  EXPECT_EQ(view.CurrentImage()->PixelColor(0, 0), 0xFFFFFFu);
  EXPECT_EQ(view.CurrentImage()->PixelColor(1, 2), 0xFFFFFFu);
}

TEST(MergeHandle, ReverseOverlaysOnlyTheSelectedPartOfTheFormerImage) {
  TpvImage view;
  TicBitmap grid;
  grid.Assign(plat::TBitmap(6, 6, plat::TPixelFormat::pf24bit));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) grid.SetPixelColor(x, y, plat::RGB(40 * x, 40 * y, 7));
  const plat::THandle grid_handle = plat::NewBitmapHandle(grid);
  view.SetReleaseBMPHandle(false);
  view.SetBMPHandle(grid_handle);
  view.SelectRectangle(1, 1, 2, 2);
  view.SetUseSelection(true);

  plat::TBitmap white(5, 5, plat::TPixelFormat::pf24bit);
  white.FillRect({0, 0, 5, 5}, 0xFFFFFF);
  view.SetMergeReverse(true);
  const int64_t start = plat::LiveHandleCount();
  const plat::THandle base = plat::NewBitmapHandle(white);
  view.MergeHandle(base);
  EXPECT_EQ(plat::LiveHandleCount(), start);  // taken over under ReleaseBMPHandle False
  ASSERT_EQ(view.ImageWidth(), 5);
  const TicBitmap& merged = *view.CurrentImage();
  EXPECT_EQ(merged.PixelColor(0, 0), plat::RGB(40, 40, 7));
  EXPECT_EQ(merged.PixelColor(1, 0), plat::RGB(80, 40, 7));
  EXPECT_EQ(merged.PixelColor(1, 1), plat::RGB(80, 80, 7));
  for (int x = 0; x < 5; ++x) EXPECT_EQ(merged.PixelColor(x, 4), 0xFFFFFFu) << x;
  EXPECT_EQ(merged.PixelColor(3, 0), 0xFFFFFFu);
}

TEST(MergeHandle, MergesTheHandlesImageOntoTheCurrentOne) {
  TpvImage view;
  view.NewImage(3, 3);
  plat::TBitmap mark(1, 1, plat::TPixelFormat::pf24bit);
  mark.FillRect({0, 0, 1, 1}, 0);
  const plat::THandle handle = plat::NewBitmapHandle(mark);
  view.SetMergeTransparency(50);
  view.SetMergeLeft(2);
  view.MergeHandle(handle);  // ReleaseBMPHandle True: still the caller's
  EXPECT_EQ(view.CurrentImage()->PixelColor(2, 0), plat::RGB(128, 128, 128));
  EXPECT_EQ(view.CurrentImage()->PixelColor(1, 0), 0xFFFFFFu);
  EXPECT_TRUE(plat::DeleteBitmapHandle(handle));
}

}  // namespace
}  // namespace pictavo
