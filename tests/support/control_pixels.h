#pragma once
// Reading an image control's pixels in tests, and comparing pictures with a readable failure.
#include <gtest/gtest.h>

#include <QImage>

#include "control/activex/imagebox_interface.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/qimage_view.h"

// The control's image as 32-bit RGB, through a bitmap handle of its own.
inline QImage Pixels(pictavo::ax::ImageBoxProxy& box) {
  const auto handle = static_cast<plat::THandle>(box.get_BMPHandle());
  const QImage image =
      plat::ToQImage(*plat::BitmapOfHandle(handle)).convertToFormat(QImage::Format_RGB32);
  plat::DeleteBitmapHandle(handle);
  return image;
}

// Equal sizes and pixels; otherwise where they first differ.
inline testing::AssertionResult SamePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return testing::AssertionFailure() << "sizes " << a.width() << "x" << a.height() << " and "
                                       << b.width() << "x" << b.height();
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return testing::AssertionFailure() << "pixel " << x << "," << y << ": " << std::hex
                                           << a.pixel(x, y) << " and " << b.pixel(x, y);
  return testing::AssertionSuccess();
}
