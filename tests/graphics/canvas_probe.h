#pragma once
// Looking at what a drawing changed: the bounding box of changed pixels, counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ostream>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace velmora_test {

// Inclusive bounds of the changed pixels; count 0 when nothing changed.
struct ChangedBox {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  int count = 0;
  friend bool operator==(const ChangedBox&, const ChangedBox&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ChangedBox& b) {
    return out << "[" << b.left << "," << b.top << " .. " << b.right << "," << b.bottom
               << " n=" << b.count << "]";
  }
};

inline ChangedBox Changes(const plat::TBitmap& before, const plat::TBitmap& after) {
  ChangedBox box;
  for (int y = 0; y < after.Height(); ++y)
    for (int x = 0; x < after.Width(); ++x)
      if (before.PixelColor(x, y) != after.PixelColor(x, y)) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
        ++box.count;
      }
  return box;
}

inline ChangedBox Bounds(int left, int top, int right, int bottom, int count) {
  return {left, top, right, bottom, count};
}

// Runs draw on a copy of before and reports what it changed.
template <typename Draw>
ChangedBox ChangesOf(const plat::TBitmap& before, Draw draw) {
  plat::TBitmap after(before.Width(), before.Height(), before.PixelFormat());
  after.SetColorTable(before.Palette());
  after.Canvas().Draw(0, 0, before);
  draw(after.Canvas());
  return Changes(before, after);
}

}  // namespace velmora_test
