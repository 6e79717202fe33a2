#include "control/formats/support/colorquantizer.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/base/exceptions.h"

namespace pictavo {
namespace {

plat::TBitmap Filled24(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  plat::TBitmap bmp(w, h, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = b;
      row[3 * x + 1] = g;
      row[3 * x + 2] = r;
    }
  }
  return bmp;
}

TEST(ColorQuantizer, FewColoursComeBackExactlyInTreeOrder) {
  TColorQuantizer q(256, 8);
  q.AddColor(255, 0, 0);
  q.AddColor(0, 0, 255);
  q.AddColor(0, 255, 0);
  q.AddColor(255, 0, 0);
  const plat::TColorTable table = q.ExportColorTable();
  // Depth first by child index (red bit << 2 | green << 1 | blue): blue, green, red.
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].ToColor(), plat::RGB(0, 0, 255));
  EXPECT_EQ(table[1].ToColor(), plat::RGB(0, 255, 0));
  EXPECT_EQ(table[2].ToColor(), plat::RGB(255, 0, 0));
}

TEST(ColorQuantizer, ReductionKeepsAtMostMaxColoursAndMergesToTheRoundedMean) {
  TColorQuantizer q(2, 8);
  // Three colours that differ only below the top bit of each channel plus one far away: the
  // deepest, most recent node is merged first, so the three close ones collapse together.
  q.AddColor(10, 10, 10);
  q.AddColor(11, 10, 10);
  q.AddColor(12, 10, 11);
  q.AddColor(200, 200, 200);
  const plat::TColorTable table = q.ExportColorTable();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].ToColor(), plat::RGB(11, 10, 10));  // 33/3, 30/3, 31/3 -> 11, 10, 10
  EXPECT_EQ(table[1].ToColor(), plat::RGB(200, 200, 200));
}

TEST(ColorQuantizer, MeanRoundsHalvesToEven) {
  TColorQuantizer q(1, 8);
  q.AddColor(0, 0, 0);
  q.AddColor(5, 3, 1);  // means 2.5, 1.5, 0.5
  const plat::TColorTable table = q.ExportColorTable();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].ToColor(), plat::RGB(2, 2, 0));
}

TEST(ColorQuantizer, LargeUniformImageKeepsItsColour) {
  // 20 million pixels: the channel sums pass 2^32 and must not wrap.
  const plat::TBitmap bmp = Filled24(5000, 4000, 250, 251, 249);
  TColorQuantizer q(256, 8);
  q.AddBitmap(bmp);
  const plat::TColorTable table = q.ExportColorTable();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].ToColor(), plat::RGB(250, 251, 249));
}

TEST(ColorQuantizer, PaletteImagesAreReadThroughTheirColours) {
  plat::TBitmap bmp(3, 1, plat::TPixelFormat::pf8bit);
  bmp.SetColorTable({{1, 2, 3, 0}, {40, 50, 60, 0}});
  bmp.ScanLine(0)[0] = 0;
  bmp.ScanLine(0)[1] = 1;
  bmp.ScanLine(0)[2] = 1;
  TColorQuantizer q(16, 4);
  q.AddBitmap(bmp);
  std::set<plat::TColor> colours;
  for (const auto& e : q.ExportColorTable()) colours.insert(e.ToColor());
  EXPECT_EQ(colours, (std::set<plat::TColor>{plat::RGB(3, 2, 1), plat::RGB(60, 50, 40)}));
}

TEST(ColorQuantizer, DepthAboveEightIsRefused) {
  EXPECT_THROW(TColorQuantizer(256, 9), plat::EInvalidGraphicOperation);
}

}  // namespace
}  // namespace pictavo
