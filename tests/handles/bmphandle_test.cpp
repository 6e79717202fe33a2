// Images handed over by the host as handles: who owns the handle afterwards, and packed DIBs of
// every kind read as ImageMagick reads the same bytes behind a BMP file header.
#include <gtest/gtest.h>

#include <cstdio>

#include "control/engine/view/image_transfer.h"
#include "control/engine/view/pvimage.h"
#include "platform/graphics/bitmap.h"
#include "tests/graphics/referee.h"
#include "tests/handles/packed_dib.h"

namespace pictavo {
namespace {

using velmora_test::MemoryHandleOf;
using velmora_test::PackedDib;

constexpr plat::TColor kRed = 0x0000FF;

enum class Kind { kBitmap, kMemory, kDead, kZero };

plat::THandle HandleOf(Kind kind) {
  switch (kind) {
    case Kind::kBitmap: {
      plat::TBitmap bitmap(3, 2, plat::TPixelFormat::pf24bit);
      bitmap.FillRect({0, 0, 3, 2}, kRed);
      return plat::NewBitmapHandle(bitmap);
    }
    case Kind::kMemory:
      return MemoryHandleOf(velmora_test::Dib("3 x 2", 24, [](PackedDib& d) {
                              d.width = 3;
                              d.height = 2;
                            }).Bytes());
    case Kind::kDead: {
      const plat::THandle gone =
          plat::NewBitmapHandle(plat::TBitmap(1, 1, plat::TPixelFormat::pf24bit));
      plat::DeleteBitmapHandle(gone);
      return gone;
    }
    case Kind::kZero:
      return 0;
  }
  return 0;
}

TEST(BMPHandlePut, OwnershipFollowsTheKindOfHandleAndReleaseBMPHandle) {
  for (Kind kind : {Kind::kBitmap, Kind::kMemory, Kind::kDead, Kind::kZero}) {
    for (bool release : {true, false}) {
      const int64_t start = plat::LiveHandleCount();
      TpvImage view;
      view.NewImage(7, 7);
      const std::string before = testing::TempDir() + "bmphandle_before.bmp";
      view.SaveToFile(before);  // the image now has a file name
      std::remove(before.c_str());
      ASSERT_FALSE(view.LastFileName().empty());
      view.SetReleaseBMPHandle(release);
      const plat::THandle handle = HandleOf(kind);
      view.SetBMPHandle(handle);
      const std::string label =
          std::to_string(static_cast<int>(kind)) + (release ? " kept" : " given");
      const bool usable = kind == Kind::kBitmap || kind == Kind::kMemory;
      EXPECT_EQ(view.ImageWidth(), usable ? 3 : 7) << label;
      EXPECT_EQ(view.LastFileName().empty(), usable) << label;
      if (kind == Kind::kBitmap) {
        EXPECT_EQ(view.CurrentImage()->PixelColor(2, 1), kRed) << label;
        EXPECT_EQ(plat::BitmapOfHandle(handle) != nullptr, release) << label;
        if (release) plat::DeleteBitmapHandle(handle);
      }
      if (kind == Kind::kMemory) {
        EXPECT_EQ(plat::MemoryOfHandle(handle), nullptr) << label;
      }
      EXPECT_EQ(plat::LiveHandleCount(), start) << label;
    }
  }
}

TEST(BMPHandlePut, BitmapsKeepTheirDepthOrBecomeTwentyFourBits) {
  struct Case {
    plat::TPixelFormat given, kept;
  };
  for (const Case& c : {Case{plat::TPixelFormat::pf1bit, plat::TPixelFormat::pf1bit},
                        Case{plat::TPixelFormat::pf4bit, plat::TPixelFormat::pf4bit},
                        Case{plat::TPixelFormat::pf8bit, plat::TPixelFormat::pf8bit},
                        Case{plat::TPixelFormat::pf16bit, plat::TPixelFormat::pf24bit},
                        Case{plat::TPixelFormat::pf32bit, plat::TPixelFormat::pf24bit}}) {
    plat::TBitmap bitmap(4, 4, c.given);
    bitmap.FillRect({0, 0, 4, 4}, 0xFFFFFF);
    bitmap.SetPixelColor(1, 2, 0);
    auto image = ImageOfHandle(plat::NewBitmapHandle(bitmap), false);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->PixelFormat(), c.kept);
    EXPECT_EQ(image->Palette(), bitmap.Palette());
    EXPECT_EQ(image->PixelColor(1, 2), 0u);
    EXPECT_EQ(image->PixelColor(2, 2), 0xFFFFFFu);
    EXPECT_NE(image->ColorFormat, cfNone);
  }
}

TEST(BMPHandlePut, PackedDibsGiveThePixelsImageMagickReads) {
  velmora_test::ScratchDir dir;
  for (const PackedDib& fixture : velmora_test::PackedDibFixtures()) {
    const std::vector<uint8_t> dib = fixture.Bytes();
    const auto file = BmpFileOfPackedDib(dib.data(), static_cast<int64_t>(dib.size()));
    ASSERT_TRUE(file) << fixture.name;
    const std::string path = dir.File("dib.bmp");
    velmora_test::WriteBytes(path, *file);
    const velmora_test::RgbaImage referee = velmora_test::ReadWithImageMagick(dir, path);
    ASSERT_EQ(referee.width, fixture.width) << fixture.name;

    TpvImage view;
    view.SetBMPHandle(MemoryHandleOf(dib));
    ASSERT_TRUE(view.ImageLoaded()) << fixture.name;
    const TicBitmap& image = *view.CurrentImage();
    ASSERT_EQ(image.Width(), referee.width) << fixture.name;
    ASSERT_EQ(image.Height(), referee.height) << fixture.name;
    const int tolerance = fixture.bits == 16 ? 1 : 0;  // 5-bit channels widen by rounding there
    for (int y = 0; y < referee.height; ++y)
      for (int x = 0; x < referee.width; ++x) {
        const plat::TColor ours = image.PixelColor(x, y);
        const uint8_t* theirs = referee.At(x, y);
        EXPECT_NEAR(plat::GetRValue(ours), theirs[0], tolerance) << fixture.name << x << "," << y;
        EXPECT_NEAR(plat::GetGValue(ours), theirs[1], tolerance) << fixture.name << x << "," << y;
        EXPECT_NEAR(plat::GetBValue(ours), theirs[2], tolerance) << fixture.name << x << "," << y;
      }
    if (image.PixelFormat() == plat::TPixelFormat::pf1bit) {
      EXPECT_EQ(image.Palette().front().rgbRed, 0) << fixture.name << ": black first";
    }
    EXPECT_EQ(image.GetXPelsPerMeter(), 2835) << fixture.name;
  }
}

TEST(BMPHandlePut, ABlockThatIsNoDibChangesNothingAndIsFreed) {
  const PackedDib truncated = velmora_test::Dib("cut", 8, [](PackedDib& d) { d.cut = 5; });
  // Header and 20 bytes of what should be a 1024-byte colour table.
  const PackedDib short_table = velmora_test::Dib(
      "short", 8, [](PackedDib& d) { d.cut = static_cast<int64_t>(d.Bytes().size()) - 60; });
  for (const std::vector<uint8_t>& block : {truncated.Bytes(), short_table.Bytes(),
                                            std::vector<uint8_t>{40, 0}, std::vector<uint8_t>{}}) {
    const int64_t start = plat::LiveHandleCount();
    TpvImage view;
    view.NewImage(2, 2);
    const plat::THandle handle = MemoryHandleOf(block);
    view.SetBMPHandle(handle);
    EXPECT_EQ(view.ImageWidth(), 2) << block.size();
    EXPECT_EQ(plat::MemoryOfHandle(handle), nullptr);
    EXPECT_EQ(plat::LiveHandleCount(), start);
  }
}

}  // namespace
}  // namespace pictavo
