// The GIF on the clipboard of a GUI application, and the class registered for ".gif".
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "gif_frame_builder.h"
#include "gif_test_support.h"
#include "platform/graphics/clipboard.h"
#include "platform/graphics/graphic_registry.h"

namespace pictavo::test {
namespace {

TEST(GIFClipboard, RoundTripKeepsTheFramesAndOffersABitmap) {
  auto image = BuildImage(3, 2, {kRed, kBlue},
                          {{0, 0, 3, 2, {0, 1, 0, 1, 1, 0}, -1, 0, 7}, {1, 0, 2, 1, {1, 1}}});
  plat::EmptyClipboard();
  uint16_t format = 0;
  plat::THandle data = 0, palette = 0;
  image->SaveToClipboardFormat(format, data, palette);
  ASSERT_EQ(format, plat::CF_BITMAP);
  ASSERT_TRUE(plat::SetClipboardData(format, data));

  TGIFImage pasted;
  pasted.LoadFromClipboardFormat(GIFClipboardFormat(), 0, 0);
  ASSERT_EQ(pasted.Frames().ItemCount(), 2);
  EXPECT_EQ(pasted.Frames().FrameAt(0)->PixelData(), image->Frames().FrameAt(0)->PixelData());
  EXPECT_EQ(pasted.Frames().FrameAt(1)->BoundsRect(), image->Frames().FrameAt(1)->BoundsRect());
  EXPECT_EQ(pasted.Frames().FrameAt(0)->ControlExtension()->DelayHundredths(), 7);

  // The bitmap placed beside it comes back as a one-frame image of the same colours.
  TGIFImage from_bitmap;
  from_bitmap.LoadFromClipboardFormat(plat::CF_BITMAP, 0, 0);
  ASSERT_EQ(from_bitmap.Frames().ItemCount(), 1);
  TGIFSubImage& frame = *from_bitmap.Frames().FrameAt(0);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(frame.LocalMap().ColorAt(frame.PixelIndex(i % 3, i / 3)),
              image->Frames().FrameAt(0)->PixelData()[size_t(i)] ? kBlue : kRed)
        << i;
}

TEST(GIFClipboard, ClipboardWithoutAGIFGivesTheReadersError) {
  plat::EmptyClipboard();
  TGIFImage image;
  EXPECT_FALSE(ErrorOf([&] { image.LoadFromClipboardFormat(GIFClipboardFormat(), 0, 0); }).empty());
  EXPECT_EQ(plat::ClipboardFormatName(GIFClipboardFormat()), "GIF Image");
}

TEST(GIFRegistration, TheClassIsKnownByExtensionAndClipboardFormat) {
  for (const char* extension : {"GIF", ".gif", "Gif"}) {
    const plat::TGraphicClass* found = plat::GraphicClassForExtension(extension);
    ASSERT_NE(found, nullptr) << extension;
    EXPECT_EQ(found->Description, "GIF Image");
    EXPECT_EQ(found->Create()->ClassName(), "TGIFImage");
  }
  const plat::TGraphicClass* pasted = plat::GraphicClassForClipboard(GIFClipboardFormat());
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->ClassName, "TGIFImage");
}

}  // namespace
}  // namespace pictavo::test

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
