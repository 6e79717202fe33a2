#pragma once
// The arithmetic of zooming and scrolling the view, free of any widget. Sizes and positions are
// device pixels, zooms percent (100 = one image pixel per device pixel).
#include <cstdint>
#include <optional>

#include "control/engine/view/image_document.h"

namespace pictavo {

// Thickness of each scroll bar.
constexpr int kBarThickness = 16;

// Trunc(x) held within the 32-bit range (NaN gives 0): a tiny zoom divides into huge values.
int32_t TruncToInt32(double x);

// The image coordinate at the middle of a view scrolled to position with extent pixels shown.
int32_t ZoomCentre(int32_t position, int32_t extent, double zoom);
// The position that puts image coordinate centre in the middle of extent pixels at zoom.
int32_t CentredPosition(int32_t centre, double zoom, int32_t extent);

// What ZoomToSelection needs of the control and its image.
struct TZoomToSelectionRoom {
  TSelectionBounds selection;
  int32_t control_width = 0, control_height = 0;
  int32_t image_width = 0, image_height = 0;
  bool show_scroll_bars = true;
};
// The zoom at which the selection fills the control, leaving room for the bars that zoom will
// need unless the selection is the whole control-sized image. Not above 0 in a control too
// small for the bars.
double ZoomForSelection(const TZoomToSelectionRoom& room);
// The scroll position that centres count image pixels from first in extent pixels at zoom.
int32_t CentringPosition(int32_t first, int32_t count, double zoom, int32_t extent);

// The percent that scales an image into the control by its tighter side; nothing when the image
// fits already.
std::optional<float> AutoScalePercent(int32_t control_width, int32_t control_height,
                                      int32_t image_width, int32_t image_height);

}  // namespace pictavo
