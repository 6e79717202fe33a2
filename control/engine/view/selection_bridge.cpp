#include "control/engine/view/selection_bridge.h"

#include <algorithm>

#include "control/engine/view/pixel_access.h"

namespace pictavo {

namespace {

void EndSelection(TicBitmap& image) {
  image.SelectionMask.clear();
  image.SelectionShape = ssNone;
  image.UseSelection = false;
  image.SelLeft = image.SelTop = image.SelRight = image.SelBottom = 0;
}

}  // namespace

void CropImageToSelection(TicBitmap& image) {
  if (image.SelectionShape == ssNone) return;
  const int left = std::clamp(image.SelLeft, 0, image.Width() - 1);
  const int right = std::clamp(image.SelRight, left, image.Width() - 1);
  const int top = std::clamp(image.SelTop, 0, image.Height() - 1);
  const int bottom = std::clamp(image.SelBottom, top, image.Height() - 1);
  EndSelection(image);
  if (image.Width() == 0 || image.Height() == 0) return;
  const int bits = plat::BitsPerPixel(image.PixelFormat());
  plat::TBitmap cut(right - left + 1, bottom - top + 1, image.PixelFormat());
  cut.SetColorTable(image.Palette());
  for (int y = top; y <= bottom; ++y) {
    const uint8_t* from = image.ScanLine(y);
    uint8_t* to = cut.ScanLine(y - top);
    for (int x = left; x <= right; ++x) SetRawPixel(to, x - left, bits, RawPixel(from, x, bits));
  }
  const auto x_ppm = image.GetXPelsPerMeter();
  const auto y_ppm = image.GetYPelsPerMeter();
  image.plat::TBitmap::Assign(cut);
  image.SetXPelsPerMeter(x_ppm);
  image.SetYPelsPerMeter(y_ppm);
}

void SelectShape(TicBitmap& image, uint8_t shape, int left, int top, int right, int bottom) {
  EndSelection(image);
  const int w = image.Width(), h = image.Height();
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, w - 1);
  bottom = std::min(bottom, h - 1);
  if (shape == ssNone || left > right || top > bottom) return;
  image.SelectionMask.assign(static_cast<size_t>(w) * h, 0);
  const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
  const double rx = (right - left + 1) / 2.0, ry = (bottom - top + 1) / 2.0;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) {
      const double dx = (x - cx) / rx, dy = (y - cy) / ry;
      if (shape == ssRectangle || dx * dx + dy * dy <= 1.0)
        image.SelectionMask[static_cast<size_t>(y) * w + x] = 1;
    }
  image.SelectionShape = shape;
  image.SelLeft = left;
  image.SelTop = top;
  image.SelRight = right;
  image.SelBottom = bottom;
}

}  // namespace pictavo
