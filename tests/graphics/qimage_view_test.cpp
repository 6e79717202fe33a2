#include "platform/graphics/qimage_view.h"

#include <gtest/gtest.h>

#include "platform/graphics/bitmap.h"

namespace plat {
namespace {

TEST(QImageView, ShowsTheSameColoursForEveryFormat) {
  TBitmap source(7, 3, TPixelFormat::pf24bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) {
      uint8_t* p = source.ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 40);
      p[1] = static_cast<uint8_t>(y * 100);
      p[2] = static_cast<uint8_t>(255 - x * 30);
    }
  for (TPixelFormat f :
       {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
        TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    TBitmap bmp = source;
    bmp.SetPixelFormat(f);
    const QImage view = ToQImage(bmp);
    ASSERT_EQ(view.width(), 7);
    ASSERT_EQ(view.height(), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) {
        const TColor c = bmp.PixelColor(x, y);
        const QRgb q = view.pixel(x, y);
        // Qt widens 5- and 6-bit channels its own way; within 4 steps is the same colour.
        EXPECT_NEAR(qRed(q), GetRValue(c), 4) << BitsPerPixel(f) << " bits at " << x << "," << y;
        EXPECT_NEAR(qGreen(q), GetGValue(c), 4);
        EXPECT_NEAR(qBlue(q), GetBValue(c), 4);
      }
  }
}

TEST(QImageView, FourBitImageIsExpandedToOneByteAPixel) {
  TBitmap bmp(3, 1, TPixelFormat::pf4bit);
  bmp.ScanLine(0)[0] = 0x9C;
  bmp.ScanLine(0)[1] = 0x20;
  const QImage view = ToQImage(bmp);
  EXPECT_EQ(view.format(), QImage::Format_Indexed8);
  EXPECT_EQ(view.pixelIndex(0, 0), 9);
  EXPECT_EQ(view.pixelIndex(1, 0), 12);
  EXPECT_EQ(view.pixelIndex(2, 0), 2);
  EXPECT_EQ(view.colorCount(), 16);
}

TEST(QImageView, EmptyBitmapGivesANullImage) {
  EXPECT_TRUE(ToQImage(TBitmap()).isNull());
  EXPECT_TRUE(FromQImage(QImage()).GetEmpty());
}

// Images of every layout become 24-bit bitmaps of the same colours; alpha is dropped, not
// blended.
TEST(QImageView, ImagesBecomeTwentyFourBitBitmaps) {
  for (const QImage::Format format :
       {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_Mono,
        QImage::Format_Indexed8}) {
    SCOPED_TRACE(static_cast<int>(format));
    QImage image(5, 2, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 255));
    image.setPixel(4, 1, qRgb(255, 255, 255));
    image.setPixel(0, 0, qRgb(0, 0, 0));
    const QImage given = image.convertToFormat(format);
    const TBitmap bitmap = FromQImage(given);
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    ASSERT_EQ(bitmap.Width(), 5);
    ASSERT_EQ(bitmap.Height(), 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 5; ++x) {
        const QRgb want = given.pixel(x, y);
        EXPECT_EQ(bitmap.PixelColor(x, y),
                  static_cast<TColor>(qRed(want) | qGreen(want) << 8 | qBlue(want) << 16));
      }
  }
  QImage translucent(1, 1, QImage::Format_ARGB32);
  translucent.setPixel(0, 0, qRgba(40, 80, 120, 0));
  EXPECT_EQ(FromQImage(translucent).PixelColor(0, 0), TColor{40 | 80 << 8 | 120 << 16});
}

}  // namespace
}  // namespace plat
