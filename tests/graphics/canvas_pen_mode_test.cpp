// The 16 pen modes on stored bits: bytes of 24-bit pixels, indices of 1- and 8-bit pixels.
#include <gtest/gtest.h>

#include <string>

#include "graphics/canvas_probe.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/system_colors.h"

namespace plat {
namespace {

// The result bit of each mode for (pen, pixel) = (0,0), (0,1), (1,0), (1,1).
struct ModeRow {
  TPenMode mode;
  const char* bits;
};
constexpr ModeRow kTruthTable[] = {
    {TPenMode::pmBlack, "0000"},       {TPenMode::pmWhite, "1111"},
    {TPenMode::pmNop, "0101"},         {TPenMode::pmNot, "1010"},
    {TPenMode::pmCopy, "0011"},        {TPenMode::pmNotCopy, "1100"},
    {TPenMode::pmMergePenNot, "1011"}, {TPenMode::pmMaskPenNot, "0010"},
    {TPenMode::pmMergeNotPen, "1101"}, {TPenMode::pmMaskNotPen, "0100"},
    {TPenMode::pmMerge, "0111"},       {TPenMode::pmNotMerge, "1000"},
    {TPenMode::pmMask, "0001"},        {TPenMode::pmNotMask, "1110"},
    {TPenMode::pmXor, "0110"},         {TPenMode::pmNotXor, "1001"},
};

// Applies the truth table bit by bit to the low `bits` bits.
uint32_t Expected(const char* table, uint32_t pen, uint32_t pixel, int bits) {
  uint32_t out = 0;
  for (int b = 0; b < bits; ++b) {
    const int row = static_cast<int>(((pen >> b) & 1) << 1 | ((pixel >> b) & 1));
    if (table[row] == '1') out |= 1u << b;
  }
  return out;
}

// One pen pixel at (0, 0): a line leaves its last pixel out.
void DrawOnePixel(TCanvas& canvas, TPenMode mode, TColor colour) {
  canvas.Pen.Mode = mode;
  canvas.Pen.Color = colour;
  canvas.MoveTo(0, 0);
  canvas.LineTo(1, 0);
}

TEST(CanvasPenMode, EveryModeCombinesTheBytesOfTrueColourPixels) {
  const uint8_t pen[3] = {0x0F, 0xA5, 0x3C};    // blue, green, red
  const uint8_t pixel[3] = {0x99, 0xF0, 0x55};  // every bit pair occurs in some channel
  for (const ModeRow& row : kTruthTable) {
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    std::copy(pixel, pixel + 3, bitmap.ScanLine(0));
    DrawOnePixel(bitmap.Canvas(), row.mode, RGB(pen[2], pen[1], pen[0]));
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(bitmap.ScanLine(0)[c], Expected(row.bits, pen[c], pixel[c], 8))
          << "mode " << static_cast<int>(row.mode) << " channel " << c;
    EXPECT_EQ(bitmap.ScanLine(0)[3], 0) << "the next pixel stays";
  }
}

TEST(CanvasPenMode, EveryModeCombinesPaletteIndicesAfterMatchingThePen) {
  TColorTable greys(256);
  for (int i = 0; i < 256; ++i) greys[i] = TRGBQuad::FromColor(RGB(i, i, i));
  for (const ModeRow& row : kTruthTable) {
    TBitmap bitmap(2, 1, TPixelFormat::pf8bit);
    bitmap.SetColorTable(greys);
    bitmap.ScanLine(0)[0] = 0xC3;
    DrawOnePixel(bitmap.Canvas(), row.mode, RGB(0x5A, 0x5A, 0x5B));  // nearest entry: 0x5A
    EXPECT_EQ(bitmap.ScanLine(0)[0], Expected(row.bits, 0x5A, 0xC3, 8))
        << "mode " << static_cast<int>(row.mode);
  }
}

TEST(CanvasPenMode, EveryModeCombinesOneBitIndices) {
  for (const ModeRow& row : kTruthTable)
    for (uint32_t pen : {0u, 1u})
      for (uint32_t pixel : {0u, 1u}) {
        TBitmap bitmap(9, 1, TPixelFormat::pf1bit);
        bitmap.ScanLine(0)[0] = pixel ? 0xFF : 0x00;
        DrawOnePixel(bitmap.Canvas(), row.mode, pen ? RGB(200, 210, 190) : RGB(40, 30, 50));
        EXPECT_EQ(bitmap.ScanLine(0)[0] >> 7, Expected(row.bits, pen, pixel, 1))
            << "mode " << static_cast<int>(row.mode) << " pen " << pen << " pixel " << pixel;
        EXPECT_EQ(bitmap.ScanLine(0)[0] & 0x7F, pixel ? 0x7F : 0) << "neighbours keep their bits";
      }
}

TEST(CanvasPenMode, SystemColoursResolveBeforeTheyAreCombined) {
  TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
  DrawOnePixel(bitmap.Canvas(), TPenMode::pmCopy, 0x8000000F);  // button face
  EXPECT_EQ(bitmap.PixelColor(0, 0), GetSysColor(15));
  DrawOnePixel(bitmap.Canvas(), TPenMode::pmXor, 0x8000000F);
  EXPECT_EQ(bitmap.PixelColor(0, 0), 0u);
}

// The rubber bands draw their frame twice to take it away again.
TEST(CanvasPenMode, XorNotXorAndNotDrawnTwiceRestoreEveryPixel) {
  for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                              TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit})
    for (TPenMode mode : {TPenMode::pmXor, TPenMode::pmNotXor, TPenMode::pmNot}) {
      TBitmap original(40, 30, format);
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
          original.SetPixelColor(x, y, RGB(x * 6, y * 8, (x * y) & 0xFF));
      TBitmap drawn = original;
      TCanvas& canvas = drawn.Canvas();
      canvas.Pen.Mode = mode;
      canvas.Pen.Color = RGB(0x12, 0xE4, 0x7B);
      canvas.Pen.Style = TPenStyle::psDot;
      canvas.Brush.Color = RGB(0x80, 0x40, 0xC0);
      const auto band = [&] {
        canvas.Rectangle(3, 4, 35, 25);
        canvas.Ellipse(-5, 10, 20, 40);
        canvas.MoveTo(0, 0);
        canvas.LineTo(39, 17);
      };
      band();
      EXPECT_GT(velmora_test::Changes(original, drawn).count, 0);
      band();
      EXPECT_EQ(velmora_test::Changes(original, drawn).count, 0)
          << BitsPerPixel(format) << " bits, mode " << static_cast<int>(mode);
    }
}

}  // namespace
}  // namespace plat
