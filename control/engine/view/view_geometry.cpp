#include "control/engine/view/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pictavo {

int32_t TruncToInt32(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lowest = std::numeric_limits<int32_t>::min();
  constexpr double highest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::trunc(std::clamp(x, lowest, highest)));
}

int32_t ZoomCentre(int32_t position, int32_t extent, double zoom) {
  return TruncToInt32((position * 2.0 + extent) * 50 / zoom);
}

int32_t CentredPosition(int32_t centre, double zoom, int32_t extent) {
  return TruncToInt32(TruncToInt32(centre * zoom / 100) - static_cast<double>(extent / 2));
}

double ZoomForSelection(const TZoomToSelectionRoom& room) {
  const TSelectionBounds& s = room.selection;
  const double sw = static_cast<double>(s.right) - s.left + 1;
  const double sh = static_cast<double>(s.bottom) - s.top + 1;
  const double w = room.control_width, h = room.control_height;
  double a = w * 100 / sw, b = h * 100 / sh;
  const bool whole_control_image =
      s.left == 0 && s.top == 0 && w == s.right + 1.0 && h == s.bottom + 1.0;
  if (room.show_scroll_bars && !whole_control_image) {
    const double a_with_bar = (w - kBarThickness - 1) * 100 / sw;
    const double b_with_bar = (h - kBarThickness - 1) * 100 / sh;
    // The side that limits the zoom loses a bar's room; the other too when the image, zoomed
    // so, would not fit that way either.
    if (a >= b) {
      if (w < b * room.image_width / 100) b = b_with_bar;
      a = a_with_bar;
    } else {
      if (h < a * room.image_height / 100) a = a_with_bar;
      b = b_with_bar;
    }
  }
  return std::min(a, b);
}

int32_t CentringPosition(int32_t first, int32_t count, double zoom, int32_t extent) {
  const double start = TruncToInt32(first * zoom / 100 + 0.5);
  return TruncToInt32(start - TruncToInt32((extent - count * zoom / 100) / 2));
}

std::optional<float> AutoScalePercent(int32_t control_width, int32_t control_height,
                                      int32_t image_width, int32_t image_height) {
  if (image_width <= 0 || image_height <= 0) return std::nullopt;
  if (control_width >= image_width && control_height >= image_height) return std::nullopt;
  const double by_width = control_width * 100.0 / image_width;
  const double by_height = control_height * 100.0 / image_height;
  return static_cast<float>(std::min(by_width, by_height));
}

}  // namespace pictavo
