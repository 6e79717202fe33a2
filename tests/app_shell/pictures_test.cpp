// The button pictures: each name has its own drawn picture, and attaching puts it on a button
// until it is detached.
#include <gtest/gtest.h>

#include <QPushButton>
#include <set>

#include "app/controls/picture_button.h"
#include "app/shell/pictures.h"

namespace {

using shell::Picture;

TEST(ButtonPictures, EveryPictureIsDrawnAtSixteenPixels) {
  std::set<QByteArray> seen;
  for (int i = 0; i <= static_cast<int>(Picture::imgFolder); ++i) {
    const QImage image = shell::PictureImage(static_cast<Picture>(i));
    ASSERT_FALSE(image.isNull()) << i;
    EXPECT_EQ(image.size(), QSize(16, 16)) << i;
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    int opaque = 0, transparent = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) (qAlpha(rgba.pixel(x, y)) == 255 ? opaque : transparent)++;
    EXPECT_GT(opaque, 20) << i;
    EXPECT_GT(transparent, 0) << i << ": the ground is see-through";
    seen.insert(QByteArray(reinterpret_cast<const char*>(rgba.constBits()),
                           static_cast<int>(rgba.sizeInBytes())));
  }
  // Save and print pictures are shared by several buttons, as their names say.
  EXPECT_GE(seen.size(), 25u);
}

TEST(ButtonPictures, AttachAndDetachThroughTheShell) {
  QWidget bar;
  auto* fitted = new QPushButton(QStringLiteral("Settings"), &bar);
  shell::subAttachButtonPicture(fitted, Picture::picBrowseSettings, shell::ButtonWidth::ToCaption);
  ASSERT_NE(velmora::PictureButton::Of(fitted), nullptr);
  EXPECT_EQ(velmora::PictureButton::Of(fitted)->Picture().pixel(8, 8),
            shell::PictureImage(Picture::picBrowseSettings).pixel(8, 8));
  // The fitted width holds the picture, the gap and the caption's text.
  const int text = fitted->fontMetrics().horizontalAdvance(QStringLiteral("Settings"));
  EXPECT_GE(fitted->width(), 5 + 16 + text);
  EXPECT_TRUE(fitted->text().endsWith(QStringLiteral(" Settings")));

  auto* placed = new QPushButton(&bar);
  placed->setGeometry(0, 0, 30, 28);
  shell::subAttachButtonPicture(placed, Picture::IconEditbarNew);
  EXPECT_EQ(placed->width(), 30);
  shell::DetachAllButtonPictures(&bar);
  EXPECT_EQ(velmora::PictureButton::Of(fitted), nullptr);
  EXPECT_EQ(velmora::PictureButton::Of(placed), nullptr);
}

}  // namespace
