// Selection mask, cropping to it, pixel reads and red-eye reduction.
#include "control/engine/raster/selection.h"

#include <gtest/gtest.h>

#include <numeric>

#include "raster_images.h"

namespace pictavo {
namespace {

using testing::Make24;
using testing::MakeIndexed;
using testing::SetRGB;

int Selected(const TicBitmap& bmp) {
  return std::accumulate(bmp.SelectionMask().begin(), bmp.SelectionMask().end(), 0);
}

// Columns marked in row y, as "first..last" or "" when none.
std::string RowSpan(const TicBitmap& bmp, int y) {
  int first = -1, last = -1;
  for (int x = 0; x < bmp.Width(); ++x)
    if (bmp.SelectionMask()[size_t(y) * bmp.Width() + x]) {
      if (first < 0) first = x;
      last = x;
    }
  return first < 0 ? "" : std::to_string(first) + ".." + std::to_string(last);
}

TEST(Selection, RectangleIsClampedToTheImage) {
  TicBitmap bmp;
  Make24(bmp, 100, 50);
  SelectRectangle(bmp, -5, -5, 1000, 1000);
  EXPECT_EQ(bmp.SelectionShape(), ssRectangle);
  EXPECT_EQ(bmp.SelectionBounds().left, 0);
  EXPECT_EQ(bmp.SelectionBounds().top, 0);
  EXPECT_EQ(bmp.SelectionBounds().right, 99);
  EXPECT_EQ(bmp.SelectionBounds().bottom, 49);
  EXPECT_EQ(Selected(bmp), 100 * 50);
}

TEST(Selection, InvertedBoundsKeepTheOldSelection) {
  TicBitmap bmp;
  Make24(bmp, 30, 30);
  SelectRectangle(bmp, 1, 2, 3, 4);
  SetUseSelection(bmp, true);
  SelectRectangle(bmp, 10, 10, 5, 20);
  SelectEllipse(bmp, 10, 10, 20, 5);
  EXPECT_TRUE(bmp.UseSelection());
  EXPECT_EQ(bmp.SelectionBounds().left, 1);
  EXPECT_EQ(Selected(bmp), 3 * 3);
}

TEST(Selection, EllipseRows) {
  TicBitmap bmp;
  Make24(bmp, 20, 20);
  SelectEllipse(bmp, 0, 0, 10, 10);
  EXPECT_EQ(bmp.SelectionShape(), ssEllipse);
  EXPECT_EQ(RowSpan(bmp, 0), "5..5");
  EXPECT_EQ(RowSpan(bmp, 5), "0..10");
  EXPECT_EQ(RowSpan(bmp, 10), "5..5");
  EXPECT_EQ(RowSpan(bmp, 11), "");
  EXPECT_EQ(RowSpan(bmp, 1), "2..8");  // h = 0.6: trunc(5 - 3 + 0.5), trunc(5 + 3 + 0.5)

  SelectEllipse(bmp, 3, 7, 12, 7);  // one row: the whole span
  EXPECT_EQ(RowSpan(bmp, 7), "3..12");
  EXPECT_EQ(Selected(bmp), 10);
}

TEST(Selection, ShapesOutsideTheImageSelectNothing) {
  struct Case {
    int x1, y1, x2, y2;
  } cases[] = {{-30, 0, -10, 9}, {25, 0, 40, 9}, {0, -9, 9, -2}, {0, 12, 9, 30}, {-9, -9, -1, -1}};
  for (const Case& c : cases) {
    TicBitmap bmp;
    Make24(bmp, 20, 10, 0x404040);
    SelectEllipse(bmp, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(Selected(bmp), 0) << c.x1 << "," << c.y1;
    EXPECT_EQ(bmp.SelectionMask().size(), 200u);
    SelectRectangle(bmp, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(Selected(bmp), 0) << c.x1 << "," << c.y1;
    SetUseSelection(bmp, true);
    SetRGB(bmp, 0, 0, 250, 10, 10);
    ReduceRedEye(bmp);  // nothing is selected, so nothing changes
    EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(250, 10, 10));
  }
}

TEST(Selection, EllipsePartlyOutsideIsClampedFirst) {
  TicBitmap bmp;
  Make24(bmp, 10, 10);
  SelectEllipse(bmp, -10, 0, 4, 8);
  EXPECT_EQ(bmp.SelectionBounds().left, 0);
  EXPECT_EQ(RowSpan(bmp, 4), "0..4");  // inscribed in the clamped rectangle 0..4
  EXPECT_EQ(RowSpan(bmp, 0), "2..2");
}

TEST(Selection, UseSelectionNeedsASelection) {
  TicBitmap bmp;
  Make24(bmp, 4, 4);
  SetUseSelection(bmp, true);
  EXPECT_FALSE(bmp.UseSelection());
  SelectRectangle(bmp, 0, 0, 1, 1);
  SetUseSelection(bmp, true);
  EXPECT_TRUE(bmp.UseSelection());
  CancelSelection(bmp);
  EXPECT_FALSE(bmp.UseSelection());
  EXPECT_TRUE(bmp.SelectionMask().empty());
  EXPECT_EQ(bmp.SelectionBounds().right, 1);  // bounds stay
}

TEST(Selection, AMaskMustCoverTheImageAndNameAShape) {
  TicBitmap bmp;
  Make24(bmp, 4, 3);
  SelectRectangle(bmp, 0, 0, 1, 1);
  SetUseSelection(bmp, true);
  const std::vector<uint8_t> kept = bmp.SelectionMask();
  const std::pair<uint8_t, size_t> refused[] = {{ssRectangle, 11}, {ssRectangle, 13}, {ssNone, 12}};
  for (const auto& [shape, size] : refused) {
    EXPECT_THROW(bmp.SetSelection(shape, {0, 0, 3, 2}, std::vector<uint8_t>(size, 1)),
                 plat::EInvalidGraphicOperation)
        << int{shape} << " " << size;
    EXPECT_EQ(bmp.SelectionMask(), kept);
    EXPECT_TRUE(bmp.UseSelection());
  }
  // A new selection starts unused, whatever the old one was.
  bmp.SetSelection(ssEllipse, {0, 0, 3, 2}, std::vector<uint8_t>(12, 1));
  EXPECT_FALSE(bmp.UseSelection());
  EXPECT_EQ(Selected(bmp), 12);
}

TEST(Selection, CropAfterCancelUsesTheLastBounds) {
  TicBitmap bmp;
  Make24(bmp, 10, 8);
  SetRGB(bmp, 2, 3, 1, 2, 3);
  SelectRectangle(bmp, 2, 3, 6, 5);
  CancelSelection(bmp);
  CropToSelection(bmp);
  EXPECT_EQ(bmp.Width(), 5);
  EXPECT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(1, 2, 3));
}

TEST(Selection, CropToEllipseFillsTheCornersWithTheBackground) {
  TicBitmap bmp;
  Make24(bmp, 20, 20, plat::RGB(9, 9, 9));
  bmp.BGColor = plat::RGB(0, 255, 0);
  SelectEllipse(bmp, 2, 2, 12, 12);
  CropToSelection(bmp);
  ASSERT_EQ(bmp.Width(), 11);
  EXPECT_EQ(bmp.SelectionShape(), ssNone);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(0, 255, 0));
  EXPECT_EQ(bmp.PixelColor(5, 0), plat::RGB(9, 9, 9));
  EXPECT_EQ(bmp.PixelColor(5, 5), plat::RGB(9, 9, 9));
}

// The crop needs SelLeft < SelRight: a one-pixel-wide selection only goes away.
TEST(Selection, OnePixelWideSelectionCropsNothing) {
  TicBitmap bmp;
  Make24(bmp, 10, 10);
  SelectRectangle(bmp, 4, 2, 4, 6);
  CropToSelection(bmp);
  EXPECT_EQ(bmp.Width(), 10);
  EXPECT_EQ(bmp.Height(), 10);
  EXPECT_EQ(bmp.SelectionShape(), ssNone);
}

TEST(GetPixelRGB, ReadsEveryDepthAndRefusesOutsidePixels) {
  TicBitmap bmp;
  Make24(bmp, 3, 2);
  SetRGB(bmp, 2, 1, 10, 20, 30);
  uint8_t r = 0, g = 0, b = 0;
  EXPECT_EQ(GetPixelRGB(bmp, 1, 2, r, g, b), rcDone);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(b, 30);
  EXPECT_EQ(GetPixelRGB(bmp, 2, 0, r, g, b), rcArgument);
  EXPECT_EQ(GetPixelRGB(bmp, 0, 3, r, g, b), rcArgument);
  EXPECT_EQ(GetPixelRGB(bmp, -1, 0, r, g, b), rcArgument);

  TicBitmap indexed;
  MakeIndexed(indexed, 3, 1, plat::TPixelFormat::pf4bit, testing::ColourRamp(16));
  indexed.ScanLine(0)[1] = 0x70;  // pixel 2 = index 7
  EXPECT_EQ(GetPixelRGB(indexed, 0, 2, r, g, b), rcDone);
  EXPECT_EQ(plat::RGB(r, g, b), testing::ColourRamp(16)[7].ToColor());

  TicBitmap wide;
  wide.Assign(plat::TBitmap(2, 2, plat::TPixelFormat::pf32bit));
  EXPECT_EQ(GetPixelRGB(wide, 0, 0, r, g, b), rcPixelFormat);
}

TEST(RedEye, SwapsGreenAndBlueOfStronglyRedPixels) {
  TicBitmap bmp;
  Make24(bmp, 3, 1);
  SetRGB(bmp, 0, 0, 200, 100, 60);
  SetRGB(bmp, 1, 0, 120, 100, 60);
  SetRGB(bmp, 2, 0, 131, 100, 100);
  ReduceRedEye(bmp);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(80, 60, 100));
  EXPECT_EQ(bmp.PixelColor(1, 0), plat::RGB(120, 100, 60));
  EXPECT_EQ(bmp.PixelColor(2, 0), plat::RGB(100, 100, 100));
}

TEST(RedEye, OnlyInsideTheSelectionAndOnlyFor24Bit) {
  TicBitmap bmp;
  Make24(bmp, 4, 1, plat::RGB(200, 100, 60));
  SelectRectangle(bmp, 1, 0, 2, 0);
  SetUseSelection(bmp, true);
  ReduceRedEye(bmp);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(200, 100, 60));
  EXPECT_EQ(bmp.PixelColor(1, 0), plat::RGB(80, 60, 100));
  EXPECT_EQ(bmp.PixelColor(3, 0), plat::RGB(200, 100, 60));

  TicBitmap indexed;
  plat::TColorTable palette = testing::ColourRamp(256);
  palette[0] = plat::TRGBQuad::FromColor(plat::RGB(200, 100, 60));
  MakeIndexed(indexed, 2, 2, plat::TPixelFormat::pf8bit, palette);
  ReduceRedEye(indexed);
  EXPECT_EQ(indexed.PixelColor(0, 0), plat::RGB(200, 100, 60));
}

}  // namespace
}  // namespace pictavo
