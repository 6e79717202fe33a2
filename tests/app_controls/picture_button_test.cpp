// Picture buttons: the caption's padding, the AND of the picture over the face, and a button that
// paints through the picture until it is detached.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>

#include "app/controls/picture_button.h"

namespace {

using velmora::PictureButton;

QFont FixedFont() {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPixelSize(12);
  return font;
}

int Width(const QString& text) {
  return QFontMetrics(FixedFont()).horizontalAdvance(text);
}

TEST(PictureButtonCaption, BlanksUntilTheCaptionReachesTheMargin) {
  struct Case {
    const char* caption;
    int reach;  // width - margin on a 100-pixel button
  };
  for (const Case c : {Case{"Save", 89}, Case{"&Save", 95}, Case{"", 89}}) {
    const QString padded = PictureButton::PaddedCaption(c.caption, FixedFont(), 100);
    EXPECT_TRUE(padded.endsWith(QString::fromLatin1(c.caption))) << c.caption;
    EXPECT_TRUE(padded.startsWith(QLatin1Char(' '))) << c.caption;
    EXPECT_GE(Width(padded), c.reach) << c.caption;
    EXPECT_LT(Width(padded.mid(1)), c.reach) << c.caption << ": one blank too many";
  }
  // A caption already wider than the button gets the one blank of the first step.
  EXPECT_EQ(PictureButton::PaddedCaption("A much too long caption", FixedFont(), 30),
            " A much too long caption");
  // The loop never runs more steps than the button has pixels.
  EXPECT_EQ(PictureButton::PaddedCaption("x", FixedFont(), 3).size(), 2);
  EXPECT_EQ(PictureButton::PaddedCaption("x", FixedFont(), 0), "x");
}

// A face of many colours, so that an AND with anything but white shows.
QImage Face(int w, int h) {
  QImage face(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) face.setPixel(x, y, qRgb(40 + x * 3, 200 - y * 4, 0xA5));
  return face;
}

// White except for a marked pixel in each corner.
QImage Picture(int w, int h) {
  QImage picture(w, h, QImage::Format_RGB32);
  picture.fill(Qt::white);
  picture.setPixel(0, 0, qRgb(0, 0, 0));
  picture.setPixel(w - 1, 0, qRgb(0x0F, 0xF0, 0x3C));
  picture.setPixel(0, h - 1, qRgb(0xF0, 0x0F, 0xC3));
  picture.setPixel(w - 1, h - 1, qRgb(0x55, 0xAA, 0x0F));
  picture.setPixel(w / 2, h / 2, qRgb(0x3C, 0x3C, 0x3C));
  return picture;
}

// Which face pixels the picture changed, with the expected AND.
void ExpectAnded(const QImage& face, const QImage& picture, const QImage& result, int top,
                 int coveredWidth) {
  int changed = 0;
  for (int y = 0; y < face.height(); ++y)
    for (int x = 0; x < face.width(); ++x) {
      const int px = x - 5, py = y - top;
      const bool covered =
          px >= 0 && px < coveredWidth && py >= 0 && py < picture.height() && px < picture.width();
      const QRgb expected =
          covered ? (face.pixel(x, y) & picture.pixel(px, py)) | 0xFF000000u : face.pixel(x, y);
      ASSERT_EQ(result.pixel(x, y), expected) << x << "," << y;
      if (result.pixel(x, y) != face.pixel(x, y)) ++changed;
    }
  EXPECT_GT(changed, 0);
}

TEST(PictureButtonPaint, PictureIsAndedAtXFiveAndCentred) {
  const QImage face = Face(60, 24), picture = Picture(16, 10);
  ExpectAnded(face, picture, PictureButton::Combine(face, picture), 7, 60 - 7);
}

TEST(PictureButtonPaint, TallerPictureIsCutAtTheTop) {
  const QImage face = Face(60, 20), picture = Picture(16, 31);
  // 10 - 15.5 rounds to -6: the picture's first six rows lie above the face.
  ExpectAnded(face, picture, PictureButton::Combine(face, picture), -6, 60 - 7);
}

TEST(PictureButtonPaint, WiderPictureStopsSevenPixelsBeforeTheRightEdge) {
  const QImage face = Face(30, 20), picture = Picture(40, 8);
  const QImage result = PictureButton::Combine(face, picture);
  ExpectAnded(face, picture, result, 6, 30 - 7);
  for (int y = 0; y < 20; ++y) EXPECT_EQ(result.pixel(28, y), face.pixel(28, y));
}

TEST(PictureButtonWidget, PaintsThroughThePictureUntilDetached) {
  QWidget bar;
  auto& button = *new QPushButton(QStringLiteral("Open"), &bar);
  button.setFont(FixedFont());
  button.resize(100, 30);
  const QImage picture = Picture(16, 16);
  PictureButton::Attach(&button, picture);
  EXPECT_GE(Width(button.text()), 89);
  ASSERT_NE(PictureButton::Of(&button), nullptr);
  const QImage attached = button.grab().toImage().convertToFormat(QImage::Format_RGB32);

  PictureButton::Detach(&button);
  EXPECT_EQ(PictureButton::Of(&button), nullptr);
  const QImage plain = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_NE(attached, plain);
  EXPECT_EQ(attached, PictureButton::Combine(plain, picture));

  QPushButton reference(button.text(), &bar);
  reference.setFont(FixedFont());
  reference.resize(100, 30);
  EXPECT_EQ(plain, reference.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST(PictureButtonWidget, AttachingAgainReplacesThePictureAndPadsOnce) {
  QPushButton button(QStringLiteral("Go"));
  button.resize(80, 24);
  PictureButton::Attach(&button, Picture(8, 8));
  const QString padded = button.text();
  QImage other(8, 8, QImage::Format_RGB32);
  other.fill(qRgb(0, 0, 0));
  PictureButton::Attach(&button, other);
  EXPECT_EQ(button.text(), padded);
  EXPECT_EQ(PictureButton::Of(&button)->Picture(), other);
}

}  // namespace
