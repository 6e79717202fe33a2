// Box fitting and the keep-aspect placement of pictures, over files ImageMagick writes.
#include "app/browse/picture_loader.h"

#include <gtest/gtest.h>

#include <QColor>
#include <string>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/handles.h"
#include "tests/graphics/referee.h"

namespace {

using velmora_test::ScratchDir;

TEST(FitSize, FitsWithoutEnlarging) {
  struct {
    int32_t sourceWidth, sourceHeight, boxWidth, boxHeight, wantWidth, wantHeight;
  } const cases[] = {
      {30, 20, 40, 40, 30, 20},    // inside the box: unchanged
      {100, 50, 40, 40, 40, 20},   // wide
      {50, 200, 40, 40, 10, 40},   // tall
      {10, 10, 400, 300, 10, 10},  // box far larger than the image
      {100, 100, 40, 40, 40, 40},  // square into square
      {3, 5, 2, 2, 1, 2},          // 3 x 0.4 = 1.2 -> 1
      {5, 2, 2, 2, 2, 1},          // 2 x 0.4 = 0.8 -> 1
      {8, 5, 4, 4, 4, 2},          // 2.5 -> 2
      {8, 7, 4, 4, 4, 4},          // 3.5 -> 4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight));
    int32_t width = -1;
    int32_t height = -1;
    browse::fncFitSize(c.sourceWidth, c.sourceHeight, c.boxWidth, c.boxHeight, width, height);
    EXPECT_EQ(width, c.wantWidth);
    EXPECT_EQ(height, c.wantHeight);
  }
}

TEST(FitSize, KeepAspectCentresWithHalvesToEven) {
  struct {
    int32_t imageWidth, imageHeight, boxWidth, boxHeight;
    QRect want;
  } const cases[] = {
      {100, 50, 40, 40, QRect(0, 10, 40, 20)},
      {50, 100, 40, 40, QRect(10, 0, 20, 40)},
      {100, 100, 40, 40, QRect(0, 0, 40, 40)},
      {100, 60, 40, 40, QRect(0, 8, 40, 24)},  // (40 - 24) / 2 = 8
      {100, 70, 40, 40, QRect(0, 6, 40, 28)},  // 40 / (100 / 70) = 28
      {100, 75, 40, 40, QRect(0, 5, 40, 30)},  // 10 / 2 = 5
      {100, 72, 40, 41, QRect(0, 6, 40, 29)},  // 28.8 -> 29
      {100, 74, 40, 41, QRect(0, 6, 40, 30)},  // 29.6 -> 30; 5.5 -> 6
      {100, 80, 40, 41, QRect(0, 4, 40, 32)},  // 4.5 -> 4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.imageWidth) + "x" + std::to_string(c.imageHeight));
    EXPECT_EQ(browse::KeepAspectRect(c.imageWidth, c.imageHeight, c.boxWidth, c.boxHeight), c.want);
  }
}

bool IsColor(const QImage& image, int x, int y, QColor want) {
  const QColor got = image.pixelColor(x, y);
  return std::abs(got.red() - want.red()) <= 2 && std::abs(got.green() - want.green()) <= 2 &&
         std::abs(got.blue() - want.blue()) <= 2;
}

// 100 x 50 red in mode 2 into 40 x 40: a red 40 x 20 band at y = 10 on white.
TEST(LoadScaledPicture, ThumbnailKeepsAspectOnWhite) {
  ScratchDir dir;
  const std::string path = dir.File("wide.png");
  ASSERT_TRUE(velmora_test::Run("convert -size 100x50 xc:red '" + path + "'"));
  int32_t width = 0;
  int32_t height = 0;
  const QImage picture = browse::fncLoadScaledPicture(
      QString::fromStdString(path), browse::kExactBox, 40, 40, 0xFFFFFF, true, width, height);
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(40, 40));
  EXPECT_EQ(width, 100);
  EXPECT_EQ(height, 50);
  for (int x : {0, 20, 39}) {
    SCOPED_TRACE(x);
    EXPECT_TRUE(IsColor(picture, x, 9, Qt::white));
    EXPECT_TRUE(IsColor(picture, x, 10, Qt::red));
    EXPECT_TRUE(IsColor(picture, x, 29, Qt::red));
    EXPECT_TRUE(IsColor(picture, x, 30, Qt::white));
  }
}

// JPEG takes the reduced-scale decode, BMP the smooth scaling after a full decode.
TEST(LoadScaledPicture, ModesGiveTheirCanvas) {
  ScratchDir dir;
  struct {
    browse::ScaleMode mode;
    QSize want;
  } const cases[] = {
      {browse::kOwnSize, {1000, 500}}, {browse::kFitBox, {40, 20}}, {browse::kExactBox, {40, 40}}};
  for (const char* name : {"wide.bmp", "wide.jpg"}) {
    const std::string path = dir.File(name);
    ASSERT_TRUE(velmora_test::Run("convert -size 1000x500 xc:blue '" + path + "'"));
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(name) + " mode " + std::to_string(c.mode));
      int32_t width = 0;
      int32_t height = 0;
      const QImage picture = browse::fncLoadScaledPicture(QString::fromStdString(path), c.mode, 40,
                                                          40, 0xFFFFFF, true, width, height);
      EXPECT_EQ(picture.size(), c.want);
      EXPECT_EQ(QSize(width, height), QSize(1000, 500));
      EXPECT_TRUE(IsColor(picture, c.want.width() / 2, c.want.height() / 2, Qt::blue));
      if (c.mode == browse::kExactBox) {
        EXPECT_TRUE(IsColor(picture, 20, 5, Qt::white));
      }
    }
  }
}

TEST(LoadScaledPicture, UnreadableFileGivesNoPicture) {
  ScratchDir dir;
  const std::string path = dir.File("text.jpg");
  velmora_test::WriteBytes(path, {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  int32_t width = 7;
  int32_t height = 7;
  EXPECT_TRUE(browse::fncLoadScaledPicture(QString::fromStdString(path), browse::kExactBox, 40, 40,
                                           0xFFFFFF, true, width, height)
                  .isNull());
}

// The basket rescales the file list's thumbnails from their bitmap handles.
TEST(ScalePicture, BitmapHandleIntoTheBox) {
  plat::TBitmap red(100, 50, plat::TPixelFormat::pf24bit);
  red.FillRect({0, 0, 100, 50}, 0x0000FF);
  const plat::THandle handle = plat::NewBitmapHandle(red);
  struct {
    browse::ScaleMode mode;
    int32_t handleType;
    QSize want;
  } const cases[] = {
      {browse::kExactBox, browse::kBitmapHandle, {40, 40}},
      {browse::kFitBox, browse::kBitmapHandle, {40, 20}},
      {browse::kExactBox, 2, {0, 0}},  // metafiles are not read
      {browse::kExactBox, 3, {0, 0}},  // nor icons
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " kind " + std::to_string(c.handleType));
    const QImage picture =
        browse::fncScalePicture(handle, 100, 50, c.handleType, 40, 40, c.mode, 0xFFFFFF, true);
    ASSERT_EQ(picture.size(), c.want);
    if (picture.isNull()) continue;
    const int top = (c.want.height() - 20) / 2;
    EXPECT_TRUE(IsColor(picture, 20, top, Qt::red));
    EXPECT_TRUE(IsColor(picture, 20, top + 19, Qt::red));
    if (top > 0) {
      EXPECT_TRUE(IsColor(picture, 20, top - 1, Qt::white));
      EXPECT_TRUE(IsColor(picture, 20, top + 20, Qt::white));
    }
  }
  ASSERT_TRUE(plat::DeleteBitmapHandle(handle));
  EXPECT_TRUE(browse::fncScalePicture(handle, 100, 50, browse::kBitmapHandle, 40, 40,
                                      browse::kExactBox, 0xFFFFFF, true)
                  .isNull());
}

}  // namespace
