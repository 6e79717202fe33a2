// Members of the raster operations: tone curves, filters, flips, geometry, the selection set by
// the host (not by the mouse) and red-eye reduction. Each does nothing without an image; the view
// decides what to show afterwards.
#include <algorithm>
#include <cstdint>

#include "control/activex/imagebox.h"

namespace pictavo {

namespace {

constexpr int kDefaultLevel = 5;

TSelectionBounds Selection(TImageBox& box) {
  return box.View().Document().SelectionBounds();
}

}  // namespace

PICTAVO_CALL(Brightness)(TImageBox& box, int32_t value, bool do_red, bool do_green, bool do_blue) {
  box.View().Brightness(value, do_red, do_green, do_blue);
}
PICTAVO_CALL(Contrast)(TImageBox& box, int32_t value, bool do_red, bool do_green, bool do_blue) {
  box.View().Contrast(value, do_red, do_green, do_blue);
}
PICTAVO_CALL(Sharpen)(TImageBox& box) {
  box.View().Sharpen(kDefaultLevel);
}
PICTAVO_CALL(SharpenBy)(TImageBox& box, int32_t value) {
  box.View().Sharpen(value);
}
PICTAVO_CALL(Blur)(TImageBox& box) {
  box.View().Blur(kDefaultLevel);
}
PICTAVO_CALL(BlurBy)(TImageBox& box, int32_t value) {
  box.View().Blur(value);
}
PICTAVO_CALL(Flip)(TImageBox& box, uint8_t flip_mode) {
  box.View().Flip(flip_mode);
}
PICTAVO_CALL(Crop)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  box.View().Crop(x1, y1, x2, y2);
}
PICTAVO_CALL(Rotate)(TImageBox& box, float angle) {
  box.View().Rotate(angle);
}
PICTAVO_CALL(ResizeImage)(TImageBox& box, int32_t new_width, int32_t new_height) {
  box.View().ResizeImage(new_width, new_height);
}
PICTAVO_CALL(ResizeFit)(TImageBox& box, int32_t max_width, int32_t max_height) {
  return box.View().ResizeFit(max_width, max_height);
}
PICTAVO_CALL(ScaleImage)(TImageBox& box, float scale_percent) {
  box.View().ScaleImage(scale_percent);
}
PICTAVO_GET(ColorCount)(TImageBox& box, plat::TColor color) {
  const int64_t count = box.View().ColorCount(color);
  return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}
PICTAVO_CALL(Invert)(TImageBox& box) {
  box.View().Invert();
}
PICTAVO_GET(IsBlank)(TImageBox& box) {
  return box.View().IsBlank();
}
PICTAVO_CALL(SelectRectangle)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  box.View().SelectRectangle(x1, y1, x2, y2);
}
PICTAVO_CALL(SelectEllipse)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  box.View().SelectEllipse(x1, y1, x2, y2);
}
PICTAVO_CALL(CancelSelection)(TImageBox& box) {
  box.View().CancelSelection();
}
PICTAVO_CALL(CropToSelection)(TImageBox& box) {
  box.View().CropToSelection();
}
PICTAVO_CALL(ReduceRedEye)(TImageBox& box) {
  box.View().ReduceRedEye();
}
PICTAVO_GET(UseSelection)(TImageBox& box) {
  return box.View().Document().UseSelection();
}
PICTAVO_PUT(UseSelection)(TImageBox& box, bool value) {
  box.View().SetUseSelection(value);
}
PICTAVO_GET(SelectionType)(TImageBox& box) {
  return int32_t{box.View().Document().SelectionShape()};
}
PICTAVO_CALL(GetSelectionCoords)
(TImageBox& box, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) {
  const TSelectionBounds bounds = Selection(box);
  x1 = bounds.left;
  y1 = bounds.top;
  x2 = bounds.right;
  y2 = bounds.bottom;
}
PICTAVO_GET(SelectionX1)(TImageBox& box) {
  return Selection(box).left;
}
PICTAVO_GET(SelectionY1)(TImageBox& box) {
  return Selection(box).top;
}
PICTAVO_GET(SelectionX2)(TImageBox& box) {
  return Selection(box).right;
}
PICTAVO_GET(SelectionY2)(TImageBox& box) {
  return Selection(box).bottom;
}

}  // namespace pictavo
