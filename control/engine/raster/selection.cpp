#include "control/engine/raster/selection.h"

#include <algorithm>
#include <cmath>

#include "control/engine/raster/geometry.h"
#include "control/engine/raster/pixels.h"
#include "platform/graphics/system_colors.h"

namespace pictavo {

namespace {

// The first steps of every new selection: refuse inverted bounds, drop the old selection, clamp.
bool StartSelection(TicBitmap& bitmap, int x1, int y1, int x2, int y2, TSelectionBounds& clamped,
                    std::vector<uint8_t>& mask) {
  if (x2 < x1 || y2 < y1) return false;
  bitmap.CancelSelection();
  clamped = {std::max(x1, 0), std::max(y1, 0), std::min(x2, bitmap.Width() - 1),
             std::min(y2, bitmap.Height() - 1)};
  mask.assign(static_cast<size_t>(int64_t{bitmap.Width()} * bitmap.Height()), 0);
  return true;
}

// Marks columns left..right of row y, limited to the clamped bounds (so to the image).
void MarkSpan(std::vector<uint8_t>& mask, int width, const TSelectionBounds& b, int y, int left,
              int right) {
  left = std::max(left, b.left);
  right = std::min(right, b.right);
  if (left > right) return;
  uint8_t* row = mask.data() + int64_t{y} * width;
  std::fill(row + left, row + right + 1, uint8_t{1});
}

}  // namespace

void SelectRectangle(TicBitmap& bitmap, int x1, int y1, int x2, int y2) {
  TSelectionBounds b;
  std::vector<uint8_t> mask;
  if (!StartSelection(bitmap, x1, y1, x2, y2, b, mask)) return;
  for (int y = b.top; y <= b.bottom; ++y) MarkSpan(mask, bitmap.Width(), b, y, b.left, b.right);
  bitmap.SetSelection(ssRectangle, b, std::move(mask));
}

void SelectEllipse(TicBitmap& bitmap, int x1, int y1, int x2, int y2) {
  TSelectionBounds b;
  std::vector<uint8_t> mask;
  if (!StartSelection(bitmap, x1, y1, x2, y2, b, mask)) return;
  const float cy = (static_cast<float>(b.top) + static_cast<float>(b.bottom)) / 2;
  const float cx = (static_cast<float>(b.left) + static_cast<float>(b.right)) / 2;
  const float halfWidth = cx - static_cast<float>(b.left);
  for (int y = b.top; y <= b.bottom; ++y) {
    if (static_cast<float>(b.top) == cy) {
      MarkSpan(mask, bitmap.Width(), b, y, b.left, b.right);
      continue;
    }
    const float t =
        std::min(std::fabs(static_cast<float>(y) - cy) / (cy - static_cast<float>(b.top)), 1.0f);
    const float h = std::sin(std::acos(t));
    const auto left = static_cast<int>(std::trunc(cx - h * halfWidth + 0.5f));
    const auto right = static_cast<int>(std::trunc(cx + halfWidth * h + 0.5f));
    MarkSpan(mask, bitmap.Width(), b, y, left, right);
  }
  bitmap.SetSelection(ssEllipse, b, std::move(mask));
}

void CancelSelection(TicBitmap& bitmap) {
  bitmap.CancelSelection();
}

void SetUseSelection(TicBitmap& bitmap, bool value) {
  bitmap.SetUseSelection(value);
}

bool IsPixelSelected(const TicBitmap& bitmap, int x, int y) {
  if (!bitmap.UseSelection()) return true;
  const int64_t i = int64_t{y} * bitmap.Width() + x;
  const std::vector<uint8_t>& mask = bitmap.SelectionMask();
  return i < static_cast<int64_t>(mask.size()) && mask[i] == 1;
}

void CropToSelection(TicBitmap& bitmap) {
  const TSelectionBounds b = bitmap.SelectionBounds();
  if (bitmap.SelectionShape() == ssEllipse) {
    const PixelValue fill = FillValueOf(bitmap, plat::ColorToRGB(bitmap.BGColor));
    for (int y = std::max(b.top, 0); y <= std::min(b.bottom, bitmap.Height() - 1); ++y) {
      uint8_t* row = bitmap.ScanLine(y);
      const uint8_t* mask = bitmap.SelectionMask().data() + int64_t{y} * bitmap.Width();
      for (int x = std::max(b.left, 0); x <= std::min(b.right, bitmap.Width() - 1); ++x)
        if (mask[x] == 0) WritePixelValue(bitmap, row, x, fill);
    }
  }
  Crop(bitmap, b.left, b.top, b.right, b.bottom);
  CancelSelection(bitmap);
}

int GetPixelRGB(const TicBitmap& bitmap, int row, int column, uint8_t& red, uint8_t& green,
                uint8_t& blue) {
  if (row < 0 || column < 0 || column >= bitmap.Width() || row >= bitmap.Height())
    return rcArgument;
  const plat::TPixelFormat format = bitmap.PixelFormat();
  if (!IsMovableFormat(format)) return rcPixelFormat;
  const plat::TColor c = bitmap.PixelColor(column, row);
  red = plat::GetRValue(c);
  green = plat::GetGValue(c);
  blue = plat::GetBValue(c);
  return rcDone;
}

void ReduceRedEye(TicBitmap& bitmap) {
  if (bitmap.ColorFormat != cf24bit || bitmap.PixelFormat() != plat::TPixelFormat::pf24bit) return;
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      uint8_t* p = row + 3 * int64_t{x};
      const int b = p[0], g = p[1], r = p[2];
      if (!(r > g + 30 && r > b + 30) || !IsPixelSelected(bitmap, x, y)) continue;
      p[2] = static_cast<uint8_t>((g + b) / 2);
      p[1] = static_cast<uint8_t>(b);
      p[0] = static_cast<uint8_t>(g);
    }
  }
}

}  // namespace pictavo
