// Zoom 100 shows one image pixel per device pixel also when the desktop scales the interface
// (this program runs with QT_SCALE_FACTOR=2).
#include <gtest/gtest.h>

#include <QApplication>

#include "control/engine/view/pvimage.h"

namespace pictavo {
namespace {

TEST(HighDpi, ZoomHundredIsOneImagePixelPerDevicePixel) {
  TpvImage view;
  ASSERT_EQ(view.devicePixelRatioF(), 2.0);
  view.resize(60, 50);  // 120 x 100 device pixels
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(100, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) image.ScanLine(y)[3 * x + 2] = static_cast<uint8_t>(x * 2);
  const std::vector<uint8_t> bytes = image.SaveToBytes(gfBMP, false, 75);
  view.ReadBinary(gfBMP, bytes.data(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(view.ClientWidth(), 120);
  EXPECT_FALSE(view.HasScrollBarHoriz());  // 100 device pixels fit into 120
  const QImage shown = view.grab().toImage();
  ASSERT_EQ(shown.width(), 120);
  EXPECT_EQ(shown.pixelColor(99, 10), QColor(198, 0, 0));
  EXPECT_EQ(shown.pixelColor(37, 79), QColor(74, 0, 0));
  EXPECT_EQ(shown.pixelColor(105, 10), QColor(212, 208, 200));  // beyond the image
}

}  // namespace
}  // namespace pictavo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
