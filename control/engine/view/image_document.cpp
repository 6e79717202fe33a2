#include "control/engine/view/image_document.h"

#include <algorithm>

#include "control/engine/raster/analysis.h"
#include "control/engine/raster/convolve.h"
#include "control/engine/raster/flip.h"
#include "control/engine/raster/geometry.h"
#include "control/engine/raster/glue/jpeg_glue.h"
#include "control/engine/raster/selection.h"
#include "control/engine/raster/tone.h"

namespace pictavo {

bool TImageDocument::Change(const std::function<void(TicBitmap&)>& change) {
  if (!image_) return false;
  change(*image_);
  return true;
}

void TImageDocument::WithWorkingCopy(const std::function<void(TicBitmap&)>& export_image) {
  if (!image_) return;
  working_copy_ = std::make_unique<TicBitmap>(*image_);
  working_copy_->CopyPaletteFrom(*image_);
  const bool cut = image_->UseSelection();
  const uint8_t shape = image_->SelectionShape();
  const TSelectionBounds bounds = SelectionBounds();
  if (cut) pictavo::CropToSelection(*image_);
  const auto restore = [&] {
    image_->Assign(*working_copy_);
    working_copy_.reset();
    if (!cut) return;
    // The user's selection comes back whether or not the export succeeded; one whose bounds
    // held no pixel cannot, and then the flag stays off with it.
    if (shape == ssEllipse)
      pictavo::SelectEllipse(*image_, bounds.left, bounds.top, bounds.right, bounds.bottom);
    else
      pictavo::SelectRectangle(*image_, bounds.left, bounds.top, bounds.right, bounds.bottom);
    pictavo::SetUseSelection(*image_, true);
  };
  try {
    export_image(*image_);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TImageDocument::Brightness(int value, bool red, bool green, bool blue) {
  Change([&](TicBitmap& image) { ApplyToneCurve(image, value, red, green, blue, tmBrightness); });
}
void TImageDocument::Contrast(int value, bool red, bool green, bool blue) {
  Change([&](TicBitmap& image) { ApplyToneCurve(image, value, red, green, blue, tmContrast); });
}
void TImageDocument::Sharpen(int level) {
  Change([&](TicBitmap& image) { pictavo::Sharpen(image, level); });
}
void TImageDocument::Blur(int level) {
  Change([&](TicBitmap& image) { pictavo::Blur(image, level); });
}
void TImageDocument::Flip(uint8_t mode) {
  Change([&](TicBitmap& image) { pictavo::Flip(image, mode); });
}
void TImageDocument::ReduceRedEye() {
  Change([](TicBitmap& image) { pictavo::ReduceRedEye(image); });
}

void TImageDocument::Crop(int x1, int y1, int x2, int y2) {
  Change([&](TicBitmap& image) { pictavo::Crop(image, x1, y1, x2, y2); });
}
void TImageDocument::Rotate(float angle, bool smooth) {
  Change([&](TicBitmap& image) { pictavo::Rotate(image, smooth, image.BGColor, angle); });
}
void TImageDocument::Resize(int width, int height, int filter, bool resample) {
  Change([&](TicBitmap& image) { pictavo::Resize(image, width, height, filter, resample); });
}
void TImageDocument::SetColorFormat(uint8_t code) {
  Change([&](TicBitmap& image) { image.SetColorFormat(code); });
}

// The new side is rounded to the nearest pixel, in 64 bits because limit x side overflows 32,
// and never drops to 0.
static int32_t ScaledSide(int64_t limit, int64_t side, int64_t other_side) {
  return static_cast<int32_t>(std::max<int64_t>(1, (limit * side + other_side / 2) / other_side));
}

bool TImageDocument::ResizeFit(int32_t max_width, int32_t max_height, int filter, bool resample) {
  if (!image_ || max_width <= 0 || max_height <= 0 || image_->GetEmpty()) return false;
  const int32_t w = image_->Width(), h = image_->Height();
  const double c = static_cast<double>(max_width) / w, d = static_cast<double>(max_height) / h;
  if (c >= 1 && d >= 1) return false;
  if (c >= d)
    Resize(ScaledSide(max_height, w, h), max_height, filter, resample);
  else
    Resize(max_width, ScaledSide(max_width, h, w), filter, resample);
  return true;
}

int64_t TImageDocument::ColorCount(plat::TColor colour) const {
  return image_ ? pictavo::ColorCount(*image_, colour) : 0;
}
void TImageDocument::Invert() {
  Change([](TicBitmap& image) { pictavo::Invert(image); });
}
bool TImageDocument::IsBlank(uint32_t tolerance) const {
  return image_ && pictavo::IsBlank(*image_, tolerance);
}
void TImageDocument::Merge(const TicBitmap& overlay, const TMergeOptions& options) {
  Change([&](TicBitmap& image) { MergeImage(image, overlay, options); });
}

void TImageDocument::SelectRectangle(int x1, int y1, int x2, int y2) {
  Change([&](TicBitmap& image) { pictavo::SelectRectangle(image, x1, y1, x2, y2); });
}
void TImageDocument::SelectEllipse(int x1, int y1, int x2, int y2) {
  Change([&](TicBitmap& image) { pictavo::SelectEllipse(image, x1, y1, x2, y2); });
}
void TImageDocument::CancelSelection() {
  Change([](TicBitmap& image) { pictavo::CancelSelection(image); });
}
void TImageDocument::CropToSelection() {
  Change([](TicBitmap& image) { pictavo::CropToSelection(image); });
}
void TImageDocument::SetUseSelection(bool on) {
  Change([&](TicBitmap& image) { pictavo::SetUseSelection(image, on); });
}

uint8_t TImageDocument::SelectionShape() const {
  return image_ ? image_->SelectionShape() : uint8_t{ssNone};
}

TSelectionBounds TImageDocument::SelectionBounds() const {
  if (SelectionShape() == ssNone) return {};
  return image_->SelectionBounds();
}

void TImageDocument::SetBGColor(plat::TColor color) {
  Change([&](TicBitmap& image) { image.BGColor = color; });
}
void TImageDocument::SetTransparent(bool on) {
  Change([&](TicBitmap& image) { image.Transparent = on; });
}
void TImageDocument::SetCompression(uint8_t code) {
  Change([&](TicBitmap& image) { image.TIFCompression = code; });
}
void TImageDocument::SetProgressiveJPEG(bool on) {
  Change([&](TicBitmap& image) { image.ProgressiveJPEG = on; });
}
void TImageDocument::SetXPelsPerMeter(int32_t value) {
  Change([&](TicBitmap& image) { image.SetXPelsPerMeter(value); });
}
void TImageDocument::SetYPelsPerMeter(int32_t value) {
  Change([&](TicBitmap& image) { image.SetYPelsPerMeter(value); });
}
void TImageDocument::SetXDPI(int32_t value) {
  Change([&](TicBitmap& image) { image.SetXDPI(value); });
}
void TImageDocument::SetYDPI(int32_t value) {
  Change([&](TicBitmap& image) { image.SetYDPI(value); });
}

void TImageDocument::OverwriteMetaData(const std::string& file_name) {
  if (!image_) throw plat::EInvalidGraphic("Error overwriting JPEG Meta Data.");
  glue::OverwriteJpegMetaData(*image_, file_name);
}

}  // namespace pictavo
