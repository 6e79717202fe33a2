#include "platform/graphics/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/base/streams.h"

namespace plat {
namespace {

TBitmap Gradient24(int width, int height) {
  TBitmap bmp(width, height, TPixelFormat::pf24bit);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = bmp.ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
      p[1] = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
      p[2] = static_cast<uint8_t>((x * 41 + y * 73) & 0xFF);
    }
  return bmp;
}

TEST(Bitmap, AssignSharesUntilOneSideWrites) {
  TBitmap a = Gradient24(4, 3);
  TBitmap b;
  b.Assign(a);
  EXPECT_EQ(b.ScanLine(1)[0], a.ScanLine(1)[0]);
  const uint8_t before = a.ScanLine(1)[0];
  b.ScanLine(1)[0] = static_cast<uint8_t>(before + 1);
  EXPECT_EQ(a.ScanLine(1)[0], before);
  a.SetColorTable({});  // writing the other side must not reach b either
  EXPECT_EQ(b.ScanLine(1)[0], static_cast<uint8_t>(before + 1));
}

TEST(Bitmap, RowsArePaddedToFourBytesForEveryFormat) {
  struct Case {
    TPixelFormat format;
    int width;
    int64_t row;
  };
  for (const Case& c : {Case{TPixelFormat::pf1bit, 33, 8}, Case{TPixelFormat::pf4bit, 9, 8},
                        Case{TPixelFormat::pf8bit, 5, 8}, Case{TPixelFormat::pf16bit, 3, 8},
                        Case{TPixelFormat::pf24bit, 5, 16}, Case{TPixelFormat::pf32bit, 3, 12}}) {
    TBitmap bmp(c.width, 2, c.format);
    EXPECT_EQ(bmp.RowBytes(), c.row) << BitsPerPixel(c.format) << " bits, width " << c.width;
    EXPECT_EQ(bmp.ScanLine(1) - bmp.ScanLine(0), c.row);
  }
}

// A decoder's bitmap skips clearing its rows; the block it gets may be the one an earlier image
// just gave back, so the padding it never writes and the rows it never reached must still be 0.
TEST(Bitmap, DecodingIntoAReusedBlockShowsNothingOfTheImageBefore) {
  constexpr int kWidth = 1001, kHeight = 1500;  // 3003 bytes of pixels in rows of 3004, 4.5 MB
  {
    TBitmap earlier(kWidth, kHeight, TPixelFormat::pf24bit);
    for (int y = 0; y < kHeight; ++y) std::memset(earlier.ScanLine(y), 0xAB, 3004);
  }
  TBitmap decoded;
  decoded.SetSizeForDecoding(kWidth, kHeight);
  ASSERT_EQ(decoded.ScanLine(0)[0], 0xAB) << "the block given back just before is not reused";
  constexpr int kRowsWritten = 40;
  for (int y = 0; y < kRowsWritten; ++y) std::memset(decoded.ScanLine(y), y + 1, 3003);
  decoded.ClearRowsFrom(kRowsWritten);

  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* row = decoded.ScanLine(y);
    ASSERT_EQ(row[3003], 0) << "padding of row " << y;
    const uint8_t expected = y < kRowsWritten ? static_cast<uint8_t>(y + 1) : 0;
    ASSERT_EQ(std::count(row, row + 3003, expected), 3003) << "row " << y;
  }
}

TEST(Bitmap, IndexedPixelsArePackedMostSignificantFirst) {
  TBitmap mono(9, 1, TPixelFormat::pf1bit);
  mono.ScanLine(0)[0] = 0x80;  // pixel 0 is white in the default black-white table
  EXPECT_EQ(mono.PixelColor(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(mono.PixelColor(1, 0), RGB(0, 0, 0));
  TBitmap nibbles(2, 1, TPixelFormat::pf4bit);
  nibbles.SetColorTable({{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}});
  nibbles.ScanLine(0)[0] = 0x21;
  EXPECT_EQ(nibbles.PixelColor(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(nibbles.PixelColor(1, 0), RGB(255, 0, 0));
}

// Converting to each format and back keeps every colour the narrower format can hold.
TEST(Bitmap, PixelFormatConversionKeepsRepresentableColours) {
  const TBitmap source = Gradient24(16, 4);
  for (TPixelFormat f : {TPixelFormat::pf32bit, TPixelFormat::pf24bit}) {
    TBitmap copy = source;
    copy.SetPixelFormat(f);
    copy.SetPixelFormat(TPixelFormat::pf24bit);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 16; ++x) EXPECT_EQ(copy.PixelColor(x, y), source.PixelColor(x, y));
  }
  TBitmap high = source;
  high.SetPixelFormat(TPixelFormat::pf16bit);
  for (int x = 0; x < 16; ++x) {
    const TColor a = high.PixelColor(x, 2), b = source.PixelColor(x, 2);
    EXPECT_LE(std::abs(GetRValue(a) - GetRValue(b)), 8);
    EXPECT_LE(std::abs(GetGValue(a) - GetGValue(b)), 4);
  }
}

TEST(Bitmap, ConversionToIndexedPicksTheNearestEntryOfTheNewTable) {
  TBitmap bmp = Gradient24(8, 3);
  const TBitmap source = bmp;
  bmp.SetPixelFormat(TPixelFormat::pf8bit);
  ASSERT_EQ(bmp.Palette().size(), 256u);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) {
      const TColor c = source.PixelColor(x, y);
      const int want = NearestPaletteIndex(bmp.Palette(), GetRValue(c), GetGValue(c), GetBValue(c));
      EXPECT_EQ(bmp.ScanLine(y)[x], want);
    }
}

TEST(Bitmap, SetPaletteRemapsEveryPixelToTheNearestNewColour) {
  TBitmap bmp(4, 1, TPixelFormat::pf8bit);
  bmp.SetColorTable({{0, 0, 250, 0}, {250, 0, 0, 0}, {0, 240, 0, 0}, {10, 10, 10, 0}});
  for (int x = 0; x < 4; ++x) bmp.ScanLine(0)[x] = static_cast<uint8_t>(x);
  // red, blue, green, near black: the new table holds them in another order
  bmp.SetPalette({{0, 0, 0, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}});
  const uint8_t expected[4] = {3, 2, 1, 0};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(bmp.ScanLine(0)[x], expected[x]) << x;
  EXPECT_EQ(bmp.PixelColor(0, 0), RGB(255, 0, 0));
}

TEST(Bitmap, SetColorTableKeepsTheIndices) {
  TBitmap bmp(3, 1, TPixelFormat::pf4bit);
  bmp.ScanLine(0)[0] = 0x12;
  bmp.ScanLine(0)[1] = 0x30;
  bmp.SetColorTable({{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}, {4, 4, 4, 0}});
  EXPECT_EQ(bmp.ScanLine(0)[0], 0x12);
  EXPECT_EQ(bmp.ScanLine(0)[1], 0x30);
  EXPECT_EQ(bmp.PixelColor(1, 0), RGB(3, 3, 3));
}

TEST(Bitmap, ResizeKeepsFormatAndOverlappingPixels) {
  TBitmap bmp = Gradient24(5, 4);
  const TBitmap before = bmp;
  bmp.SetSize(3, 6);
  EXPECT_EQ(bmp.PixelFormat(), TPixelFormat::pf24bit);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bmp.PixelColor(x, y), before.PixelColor(x, y));
  EXPECT_EQ(bmp.PixelColor(0, 5), 0u);
}

TEST(Bitmap, BmpRoundTripKeepsEveryFormat) {
  for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                         TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    TBitmap bmp = Gradient24(7, 3);
    bmp.SetPixelFormat(f);
    TMemoryStream m;
    bmp.SaveToStream(m);
    m.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(m);
    ASSERT_EQ(back.PixelFormat(), f);
    for (int y = 0; y < 3; ++y)
      EXPECT_EQ(0, std::memcmp(back.ScanLine(y), bmp.ScanLine(y), bmp.RowBytes()));
    EXPECT_EQ(back.Palette().size(), bmp.Palette().size());
  }
}

TEST(Color, ExpandToByteRepeatsTheBitPattern) {
  EXPECT_EQ(ExpandToByte(0, 5), 0);
  EXPECT_EQ(ExpandToByte(31, 5), 255);
  EXPECT_EQ(ExpandToByte(25, 5), 206);
  EXPECT_EQ(ExpandToByte(49, 6), 199);
  EXPECT_EQ(ExpandToByte(1, 1), 255);
  EXPECT_EQ(ExpandToByte(2, 3), 0x49);
  EXPECT_EQ(ExpandToByte(0x3FF, 10), 255);
}

}  // namespace
}  // namespace plat
