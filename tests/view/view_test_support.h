#pragma once
// Images and mouse input for the view control's tests.
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "control/engine/view/pvimage.h"

namespace pictavo {

// A 24-bit BMP whose pixel (x, y) has red x, green y (both modulo 256) and blue 7.
inline std::vector<uint8_t> GradientBmp(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.ScanLine(y) + 3 * x;
      p[0] = 7;
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>(x);
    }
  return image.SaveToBytes(gfBMP, false, 75);
}

inline void Load(TpvImage& view, const std::vector<uint8_t>& bytes) {
  view.ReadBinary(gfBMP, bytes.data(), static_cast<int64_t>(bytes.size()));
}

// Queues a mouse event for to; it arrives when the thread next processes its events.
inline void PostMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
  QCoreApplication::postEvent(
      to, new QMouseEvent(type, QPointF(at), QPointF(at), button, held, Qt::NoModifier));
}

// Queues a left-button drag: press at the first point, moves through the others, release at
// the last.
inline void PostDrag(QWidget* to, const std::vector<QPoint>& points) {
  PostMouse(to, QEvent::MouseButtonPress, points.front(), Qt::LeftButton, Qt::LeftButton);
  for (QPoint p : points) PostMouse(to, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
  PostMouse(to, QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);
}

}  // namespace pictavo
