// Members of the raster operations: tone curves, filters, flips, geometry, the selection set by
// the host (not by the mouse) and red-eye reduction. Each does nothing without an image; the view
// decides what to show afterwards.
#include "control/activex/imagebox.h"

namespace pictavo {

namespace {

constexpr int kDefaultLevel = 5;

TSelectionBounds Selection(TImageBox& box) {
  return box.View().Document().SelectionBounds();
}

}  // namespace

PICTAVO_CALL(Brightness) {
  box.View().Brightness(call.Long(0), call.Bool(1), call.Bool(2), call.Bool(3));
}
PICTAVO_CALL(Contrast) {
  box.View().Contrast(call.Long(0), call.Bool(1), call.Bool(2), call.Bool(3));
}
PICTAVO_CALL(Sharpen) {
  box.View().Sharpen(kDefaultLevel);
}
PICTAVO_CALL(SharpenBy) {
  box.View().Sharpen(call.Long(0));
}
PICTAVO_CALL(Blur) {
  box.View().Blur(kDefaultLevel);
}
PICTAVO_CALL(BlurBy) {
  box.View().Blur(call.Long(0));
}
PICTAVO_CALL(Flip) {
  box.View().Flip(call.Enum(0));
}
PICTAVO_CALL(Crop) {
  box.View().Crop(call.Long(0), call.Long(1), call.Long(2), call.Long(3));
}
PICTAVO_CALL(Rotate) {
  box.View().Rotate(call.Float(0));
}
PICTAVO_CALL(ResizeImage) {
  box.View().ResizeImage(call.Long(0), call.Long(1));
}
PICTAVO_CALL(SelectRectangle) {
  box.View().SelectRectangle(call.Long(0), call.Long(1), call.Long(2), call.Long(3));
}
PICTAVO_CALL(SelectEllipse) {
  box.View().SelectEllipse(call.Long(0), call.Long(1), call.Long(2), call.Long(3));
}
PICTAVO_CALL(CancelSelection) {
  box.View().CancelSelection();
}
PICTAVO_CALL(CropToSelection) {
  box.View().CropToSelection();
}
PICTAVO_CALL(ReduceRedEye) {
  box.View().ReduceRedEye();
}
PICTAVO_GET(UseSelection) {
  call.Return(box.View().Document().UseSelection());
}
PICTAVO_PUT(UseSelection) {
  box.View().SetUseSelection(call.Bool(call.Value()));
}
PICTAVO_GET(SelectionType) {
  call.Return(int32_t{box.View().Document().SelectionShape()});
}
PICTAVO_CALL(GetSelectionCoords) {
  const TSelectionBounds bounds = Selection(box);
  call.SetOut(0, bounds.left);
  call.SetOut(1, bounds.top);
  call.SetOut(2, bounds.right);
  call.SetOut(3, bounds.bottom);
}
PICTAVO_GET(SelectionX1) {
  call.Return(Selection(box).left);
}
PICTAVO_GET(SelectionY1) {
  call.Return(Selection(box).top);
}
PICTAVO_GET(SelectionX2) {
  call.Return(Selection(box).right);
}
PICTAVO_GET(SelectionY2) {
  call.Return(Selection(box).bottom);
}

}  // namespace pictavo
