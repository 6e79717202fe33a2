// Members of the raster operations: tone curves, filters, flips, geometry, the selection set by
// the host (not by the mouse) and red-eye reduction. Each does nothing without an image.
#include "control/activex/imagebox.h"
#include "control/engine/raster/convolve.h"
#include "control/engine/raster/flip.h"
#include "control/engine/raster/geometry.h"
#include "control/engine/raster/selection.h"
#include "control/engine/raster/tone.h"

namespace pictavo {

namespace {

TicBitmap* Image(TImageBox& box) {
  return box.View().CurrentImage();
}

// Pixel changes only need a repaint; the result codes of the operations are not reported.
template <class Operation>
void Repainted(TImageBox& box, Operation operation) {
  if (TicBitmap* image = Image(box)) {
    operation(*image);
    box.View().update();
  }
}

// Size changes need the view laid out again.
template <class Operation>
void ReLaidOut(TImageBox& box, Operation operation) {
  if (TicBitmap* image = Image(box)) {
    operation(*image);
    box.View().Relayout();
  }
}

void ToneCurveMember(TImageBox& box, MemberCall& call, uint8_t mode) {
  Repainted(box, [&](TicBitmap& image) {
    ApplyToneCurve(image, call.Long(0), call.Bool(1), call.Bool(2), call.Bool(3), mode);
  });
}

constexpr int kDefaultLevel = 5;

// Bounds of the selection, or all 0 without one.
int32_t SelectionBound(TImageBox& box, int TicBitmap::*bound) {
  const TicBitmap* image = Image(box);
  return image && image->SelectionShape != ssNone ? image->*bound : 0;
}

}  // namespace

PICTAVO_CALL(Brightness) {
  ToneCurveMember(box, call, tmBrightness);
}
PICTAVO_CALL(Contrast) {
  ToneCurveMember(box, call, tmContrast);
}
PICTAVO_CALL(Sharpen) {
  Repainted(box, [](TicBitmap& image) { Sharpen(image, kDefaultLevel); });
}
PICTAVO_CALL(SharpenBy) {
  Repainted(box, [&](TicBitmap& image) { Sharpen(image, call.Long(0)); });
}
PICTAVO_CALL(Blur) {
  Repainted(box, [](TicBitmap& image) { Blur(image, kDefaultLevel); });
}
PICTAVO_CALL(BlurBy) {
  Repainted(box, [&](TicBitmap& image) { Blur(image, call.Long(0)); });
}
PICTAVO_CALL(Flip) {
  Repainted(box, [&](TicBitmap& image) { Flip(image, call.Enum(0)); });
}

PICTAVO_CALL(Crop) {
  ReLaidOut(box, [&](TicBitmap& image) {
    Crop(image, call.Long(0), call.Long(1), call.Long(2), call.Long(3));
  });
}
PICTAVO_CALL(Rotate) {
  ReLaidOut(box, [&](TicBitmap& image) {
    Rotate(image, box.View().Resample, image.BGColor, call.Float(0));
  });
}
PICTAVO_CALL(ResizeImage) {
  ReLaidOut(box, [&](TicBitmap& image) {
    Resize(image, call.Long(0), call.Long(1), box.View().FilterType, box.View().Resample);
  });
}

PICTAVO_CALL(SelectRectangle) {
  Repainted(box, [&](TicBitmap& image) {
    SelectRectangle(image, call.Long(0), call.Long(1), call.Long(2), call.Long(3));
  });
}
PICTAVO_CALL(SelectEllipse) {
  Repainted(box, [&](TicBitmap& image) {
    SelectEllipse(image, call.Long(0), call.Long(1), call.Long(2), call.Long(3));
  });
}
PICTAVO_CALL(CancelSelection) {
  Repainted(box, [](TicBitmap& image) { CancelSelection(image); });
}
PICTAVO_CALL(CropToSelection) {
  ReLaidOut(box, [](TicBitmap& image) { CropToSelection(image); });
}
PICTAVO_CALL(ReduceRedEye) {
  Repainted(box, [](TicBitmap& image) { ReduceRedEye(image); });
}
PICTAVO_GET(UseSelection) {
  call.Return(Image(box) ? Image(box)->UseSelection : false);
}
PICTAVO_PUT(UseSelection) {
  if (TicBitmap* image = Image(box)) SetUseSelection(*image, call.Bool(call.Value()));
}
PICTAVO_GET(SelectionType) {
  call.Return(int32_t{Image(box) ? Image(box)->SelectionShape : uint8_t{ssNone}});
}
PICTAVO_CALL(GetSelectionCoords) {
  call.SetOut(0, SelectionBound(box, &TicBitmap::SelLeft));
  call.SetOut(1, SelectionBound(box, &TicBitmap::SelTop));
  call.SetOut(2, SelectionBound(box, &TicBitmap::SelRight));
  call.SetOut(3, SelectionBound(box, &TicBitmap::SelBottom));
}
PICTAVO_GET(SelectionX1) {
  call.Return(SelectionBound(box, &TicBitmap::SelLeft));
}
PICTAVO_GET(SelectionY1) {
  call.Return(SelectionBound(box, &TicBitmap::SelTop));
}
PICTAVO_GET(SelectionX2) {
  call.Return(SelectionBound(box, &TicBitmap::SelRight));
}
PICTAVO_GET(SelectionY2) {
  call.Return(SelectionBound(box, &TicBitmap::SelBottom));
}

}  // namespace pictavo
