#include "platform/graphics/canvas.h"

#include <cstring>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/bitmap_image.h"

namespace plat {

TColor TCanvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= target_.Width() || y >= target_.Height()) return kInvalidColor;
  return target_.PixelColor(x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  target_.SetPixelColor(x, y, color);
}

void TCanvas::FillRect(const TRect& rect) {
  if (Brush.Style != TBrushStyle::bsClear) target_.FillRect(rect, Brush.Color);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  const TRect r{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (r.IsEmpty()) return;
  if (Pen.Style == TPenStyle::psClear) {
    FillRect(r);
    return;
  }
  FillRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1});
  target_.FillRect({r.Left, r.Top, r.Right, r.Top + 1}, Pen.Color);
  target_.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, Pen.Color);
  target_.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, Pen.Color);
  target_.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, Pen.Color);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  StretchDraw({x, y, x + graphic.GetWidth(), y + graphic.GetHeight()}, graphic);
}

namespace {

bool SameLayout(const TBitmap& a, const TBitmap& b) {
  return a.PixelFormat() == b.PixelFormat() &&
         (PaletteSizeOf(a.PixelFormat()) == 0 || a.Palette() == b.Palette());
}

// Copies the stored pixel values of an unscaled drawing, clipped to the target.
void CopyPixels(const TBitmap& from, int left, int top, TBitmap& to) {
  const int bits = BitsPerPixel(from.PixelFormat());
  const int x0 = std::max(left, 0), x1 = std::min(left + from.Width(), to.Width());
  for (int y = std::max(top, 0); y < std::min(top + from.Height(), to.Height()); ++y) {
    const uint8_t* src = from.ScanLine(y - top);
    uint8_t* dest = to.ScanLine(y);
    if (bits >= 8) {
      const int bytes = bits / 8;
      std::memcpy(dest + x0 * bytes, src + (x0 - left) * bytes,
                  static_cast<size_t>((x1 - x0) * bytes));
      continue;
    }
    for (int x = x0; x < x1; ++x) SetIndexAt(dest, x, bits, IndexAt(src, x - left, bits));
  }
  to.Changed();
}

}  // namespace

void TCanvas::StretchDraw(const TRect& rect, const TGraphic& graphic) {
  const auto* source = dynamic_cast<const TBitmap*>(&graphic);
  if (!source) {
    graphic.Draw(*this, rect);
    return;
  }
  if (rect.IsEmpty() || source->GetEmpty()) return;
  // A copy keeps the source intact when a bitmap is drawn onto itself.
  const TBitmap from = *source;
  if (rect.Width() == from.Width() && rect.Height() == from.Height() && SameLayout(from, target_)) {
    CopyPixels(from, rect.Left, rect.Top, target_);
    return;
  }
  const int64_t w = rect.Width(), h = rect.Height();
  for (int y = std::max(rect.Top, 0); y < std::min(rect.Bottom, target_.Height()); ++y) {
    const int sy = static_cast<int>((y - rect.Top) * from.Height() / h);
    for (int x = std::max(rect.Left, 0); x < std::min(rect.Right, target_.Width()); ++x) {
      const int sx = static_cast<int>((x - rect.Left) * from.Width() / w);
      target_.SetPixelColor(x, y, from.PixelColor(sx, sy));
    }
  }
}

}  // namespace plat
