// A loaded picture handed to a real ImageBox through its BMPHandle, the pixels checked against
// ImageMagick's view of the file, and the handle gone afterwards.
#include "app/browse/picture_handover.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/browse/picture_loader.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/handles.h"
#include "tests/graphics/referee.h"

namespace {

using velmora_test::ScratchDir;

class HandOver : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir;
    ::setenv("XDG_CONFIG_HOME", scratch_->File("config").c_str(), 1);
    ASSERT_TRUE(velmora_test::Run(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY));
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override { host_.SetControl("Pictavo.ImageBox"); }

  static ScratchDir* scratch_;
  plat::com::ControlHost host_;
};

ScratchDir* HandOver::scratch_ = nullptr;

TEST_F(HandOver, ControlShowsThePictureAndNoHandleIsLeft) {
  const std::string path = scratch_->File("plasma.pcx");
  ASSERT_TRUE(velmora_test::Run("convert -seed 5 -size 23x17 plasma:fractal '" + path + "'"));
  const velmora_test::RgbaImage referee = velmora_test::ReadWithImageMagick(*scratch_, path);
  int32_t width = 0;
  int32_t height = 0;
  const QImage picture = browse::LoadPic(QString::fromStdString(path), browse::kOwnSize, -1, -1,
                                         0xFFFFFF, width, height);
  ASSERT_FALSE(picture.isNull());

  pictavo::ax::ImageBoxProxy box(host_.Dispatch());
  for (const bool controlKeepsNoHandle : {true, false}) {
    SCOPED_TRACE(controlKeepsNoHandle ? "handle stays with us" : "control releases it");
    box.put_ReleaseBMPHandle(plat::com::ToVariantBool(controlKeepsNoHandle));
    const int64_t handles = plat::LiveHandleCount();
    browse::HandOverPicture(host_, picture);
    EXPECT_EQ(plat::LiveHandleCount(), handles);
    ASSERT_EQ(box.get_ImageWidth(), referee.width);
    ASSERT_EQ(box.get_ImageHeight(), referee.height);

    const auto copy = static_cast<plat::THandle>(box.get_BMPHandle());
    const std::shared_ptr<plat::TBitmap> shown = plat::BitmapOfHandle(copy);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->PixelFormat(), plat::TPixelFormat::pf24bit);
    int largest = 0;
    for (int y = 0; y < referee.height; ++y)
      for (int x = 0; x < referee.width; ++x) {
        const plat::TColor bgr = shown->PixelColor(x, y);
        const uint8_t* want = referee.At(x, y);
        largest = std::max({largest, std::abs(static_cast<int>(bgr & 0xFF) - want[0]),
                            std::abs(static_cast<int>((bgr >> 8) & 0xFF) - want[1]),
                            std::abs(static_cast<int>((bgr >> 16) & 0xFF) - want[2])});
      }
    EXPECT_EQ(largest, 0);
    plat::DeleteBitmapHandle(copy);
  }
}

}  // namespace
