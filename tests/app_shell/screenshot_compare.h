#pragma once
// Compares a window as it appears on an X server with a picture checked by eye.
// VELMORA_UPDATE_GOLDEN=1 rewrites the picture instead of comparing.
#include <gtest/gtest.h>

#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

// Pixels whose channels differ by more than a rounding step of antialiased text.
inline double ShareOfDifferentPixels(const QImage& a, const QImage& b) {
  int64_t different = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      const int delta = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                  std::abs(qBlue(p) - qBlue(q))});
      if (delta > 24) ++different;
    }
  return static_cast<double>(different) / (static_cast<double>(a.width()) * a.height());
}

// Compares `picture` with the one in `golden` (or rewrites it, see above).
inline void ExpectImageMatchesGolden(const QImage& picture, const char* golden) {
  const QImage shot = picture.convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(shot.isNull());
  if (std::getenv("VELMORA_UPDATE_GOLDEN")) {
    ASSERT_TRUE(shot.save(golden));
    return;
  }
  const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(expected.isNull()) << golden;
  ASSERT_EQ(shot.size(), expected.size());
  EXPECT_LT(ShareOfDifferentPixels(shot, expected), 0.002);
}

// Compares the part of `window` that `area` covers (the whole window when no area is given).
inline void ExpectWindowMatchesGolden(QWidget& window, const char* golden,
                                      const QWidget* area = nullptr) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(200);
  QImage shot = window.screen()->grabWindow(window.winId()).toImage();
  if (area) shot = shot.copy(QRect(area->mapTo(&window, QPoint(0, 0)), area->size()));
  ExpectImageMatchesGolden(shot, golden);
}
