// Copies between bitmaps: unscaled and stretched, with a raster operation and a stretch mode.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/bitmap_image.h"
#include "platform/graphics/canvas.h"

namespace plat {

namespace {

// The rectangle of int64 edges, so extents near the ends of the 32-bit range cannot overflow.
struct TBox {
  int64_t left, top, right, bottom;
  explicit TBox(const TRect& r) : left(r.Left), top(r.Top), right(r.Right), bottom(r.Bottom) {}
  int64_t Width() const { return right - left; }
  int64_t Height() const { return bottom - top; }
};

// floor(a * b / c) for c > 0, without overflow.
int64_t ScaleDown(int64_t a, int64_t b, int64_t c) {
  const __int128 product = __int128{a} * b;
  __int128 q = product / c;
  if (product % c != 0 && product < 0) --q;
  return static_cast<int64_t>(q);
}

bool SameLayout(const TBitmap& a, const TBitmap& b) {
  return a.PixelFormat() == b.PixelFormat() &&
         (PaletteSizeOf(a.PixelFormat()) == 0 || a.Palette() == b.Palette());
}

TColor Combine(TCopyMode mode, TColor source, TColor dest) {
  switch (mode) {
    case TCopyMode::cmSrcAnd:
      return source & dest;
    case TCopyMode::cmSrcPaint:
      return source | dest;
    case TCopyMode::cmSrcInvert:
      return source ^ dest;
    case TCopyMode::cmNotSrcCopy:
      return ~source & 0xFFFFFF;
    default:
      return source;
  }
}

// Copies the stored values of an unscaled copy, clipped to both bitmaps; indices stay exact.
void CopyStoredValues(const TBitmap& from, const TBox& source, const TBox& dest, TBitmap& to) {
  const int bits = BitsPerPixel(from.PixelFormat());
  const int64_t shift_x = source.left - dest.left, shift_y = source.top - dest.top;
  const int64_t x0 = std::max({dest.left, int64_t{0}, -shift_x});
  const int64_t x1 = std::min({dest.right, int64_t{to.Width()}, from.Width() - shift_x});
  const int64_t y0 = std::max({dest.top, int64_t{0}, -shift_y});
  const int64_t y1 = std::min({dest.bottom, int64_t{to.Height()}, from.Height() - shift_y});
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* src = from.ScanLine(static_cast<int>(y + shift_y));
    uint8_t* row = to.ScanLine(static_cast<int>(y));
    if (bits >= 8 && x0 < x1) {
      const int bytes = bits / 8;
      std::memcpy(row + x0 * bytes, src + (x0 + shift_x) * bytes,
                  static_cast<size_t>((x1 - x0) * bytes));
      continue;
    }
    for (int64_t x = x0; x < x1; ++x) SetIndexAt(row, x, bits, IndexAt(src, x + shift_x, bits));
  }
  to.Changed();
}

// The mean colour of the source pixels in [x0, x1) x [y0, y1), clipped to the bitmap; false
// when none lies inside.
bool AreaMean(const TBitmap& from, int64_t x0, int64_t x1, int64_t y0, int64_t y1, TColor& mean) {
  x0 = std::max<int64_t>(x0, 0), y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, from.Width()), y1 = std::min<int64_t>(y1, from.Height());
  if (x0 >= x1 || y0 >= y1) return false;
  uint64_t r = 0, g = 0, b = 0;
  for (int64_t y = y0; y < y1; ++y)
    for (int64_t x = x0; x < x1; ++x) {
      const TColor c = from.PixelColor(static_cast<int>(x), static_cast<int>(y));
      r += GetRValue(c), g += GetGValue(c), b += GetBValue(c);
    }
  const uint64_t n = static_cast<uint64_t>((x1 - x0) * (y1 - y0));
  mean = RGB(static_cast<uint8_t>((r + n / 2) / n), static_cast<uint8_t>((g + n / 2) / n),
             static_cast<uint8_t>((b + n / 2) / n));
  return true;
}

// The source pixels [first, last) that destination pixel `offset` of `extent` takes: the one
// its top-left corner falls on, or every one it overlaps when averaging.
std::pair<int64_t, int64_t> SourceSpan(int64_t offset, int64_t extent, int64_t source_origin,
                                       int64_t source_extent, bool average) {
  const int64_t first = source_origin + ScaleDown(offset, source_extent, extent);
  if (!average) return {first, first + 1};
  const int64_t end = source_origin - ScaleDown(-(offset + 1), source_extent, extent);
  return {first, std::max(first + 1, end)};
}

void Blit(TBitmap& to, const TBox& dest, const TBitmap& source, const TBox& src, TCopyMode mode,
          TStretchMode stretch) {
  if (dest.Width() <= 0 || dest.Height() <= 0 || src.Width() <= 0 || src.Height() <= 0) return;
  // A copy keeps the source intact when a bitmap is copied onto itself.
  const TBitmap from = source;
  if (mode == TCopyMode::cmSrcCopy && dest.Width() == src.Width() &&
      dest.Height() == src.Height() && SameLayout(from, to)) {
    CopyStoredValues(from, src, dest, to);
    return;
  }
  const bool average = stretch == TStretchMode::smHalftone;
  for (int64_t y = std::max<int64_t>(dest.top, 0); y < std::min<int64_t>(dest.bottom, to.Height());
       ++y) {
    const auto [sy0, sy1] = SourceSpan(y - dest.top, dest.Height(), src.top, src.Height(), average);
    for (int64_t x = std::max<int64_t>(dest.left, 0); x < std::min<int64_t>(dest.right, to.Width());
         ++x) {
      const auto [sx0, sx1] =
          SourceSpan(x - dest.left, dest.Width(), src.left, src.Width(), average);
      TColor colour = 0;
      if (!AreaMean(from, sx0, sx1, sy0, sy1, colour)) continue;
      const int px = static_cast<int>(x), py = static_cast<int>(y);
      to.SetPixelColor(px, py, Combine(mode, colour, to.PixelColor(px, py)));
    }
  }
}

}  // namespace

void TCanvas::CopyRect(const TRect& dest_rect, TCanvas& source, const TRect& source_rect) {
  Blit(target_, TBox(dest_rect), source.Bitmap(), TBox(source_rect), CopyMode, StretchMode);
}

void TCanvas::StretchBlt(const TRect& dest_rect, const TBitmap& source, const TRect& source_rect,
                         TCopyMode mode) {
  Blit(target_, TBox(dest_rect), source, TBox(source_rect), mode, StretchMode);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  StretchDraw({x, y, x + graphic.GetWidth(), y + graphic.GetHeight()}, graphic);
}

void TCanvas::StretchDraw(const TRect& rect, const TGraphic& graphic) {
  const auto* source = dynamic_cast<const TBitmap*>(&graphic);
  if (!source) {
    graphic.Draw(*this, rect);
    return;
  }
  const TRect whole{0, 0, source->Width(), source->Height()};
  Blit(target_, TBox(rect), *source, TBox(whole), TCopyMode::cmSrcCopy,
       TStretchMode::smColorOnColor);
}

}  // namespace plat
