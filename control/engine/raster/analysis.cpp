#include "control/engine/raster/analysis.h"

#include <algorithm>
#include <cmath>

#include "control/engine/raster/pixels.h"

namespace pictavo {

namespace {

using plat::TPixelFormat;

// Bits per pixel of an indexed image; 0 for direct colour.
int IndexedBits(const TicBitmap& bitmap) {
  const TPixelFormat f = bitmap.PixelFormat();
  return plat::PaletteSizeOf(f) > 0 ? plat::BitsPerPixel(f) : 0;
}

int64_t CountIndex(const TicBitmap& bitmap, int bits, uint8_t index) {
  int64_t count = 0;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) count += IndexAt(row, x, bits) == index;
  }
  return count;
}

int64_t Count24(const TicBitmap& bitmap, plat::TColor colour) {
  const uint8_t r = plat::GetRValue(colour), g = plat::GetGValue(colour),
                b = plat::GetBValue(colour);
  int64_t count = 0;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) count += p[0] == b && p[1] == g && p[2] == r;
  }
  return count;
}

void ComplementBytes(TicBitmap& bitmap, int64_t bytes) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    std::transform(row, row + bytes, row, [](uint8_t v) { return static_cast<uint8_t>(~v); });
  }
}

int Sum(const plat::TRGBQuad& entry) {
  return entry.rgbRed + entry.rgbGreen + entry.rgbBlue;
}

// width x height x per_pixel x tolerance div 1,000,000 without overflowing: the tolerance is
// held at 1,000,000 first, from where every image passes anyway.
int64_t DarknessLimit(const TicBitmap& bitmap, int64_t per_pixel, uint32_t tolerance) {
  constexpr int64_t kMillion = 1'000'000;
  const int64_t whole = int64_t{bitmap.Width()} * bitmap.Height() * per_pixel;
  const int64_t t = std::min<int64_t>(tolerance, kMillion);
  return whole / kMillion * t + whole % kMillion * t / kMillion;
}

// Sums darkness_of over every pixel row by row; false as soon as a row ends above limit.
template <typename DarknessOfRow>
bool WithinLimit(const TicBitmap& bitmap, int64_t limit, DarknessOfRow darkness_of_row) {
  int64_t total = 0;
  for (int y = 0; y < bitmap.Height(); ++y) {
    total += darkness_of_row(bitmap.ScanLine(y));
    if (total > limit) return false;
  }
  return true;
}

bool IsBlankMono(const TicBitmap& bitmap, uint32_t tolerance) {
  plat::TColorTable palette = bitmap.Palette();
  palette.resize(2);
  constexpr int kWhite = 765;
  if (Sum(palette[0]) != kWhite && Sum(palette[1]) != kWhite) return false;
  const uint8_t white = Sum(palette[0]) == kWhite ? 0 : 1;
  return WithinLimit(bitmap, DarknessLimit(bitmap, 1, tolerance), [&](const uint8_t* row) {
    int64_t dark = 0;
    for (int x = 0; x < bitmap.Width(); ++x) dark += IndexAt(row, x, 1) != white;
    return dark;
  });
}

bool IsBlankIndexed(const TicBitmap& bitmap, int bits, uint32_t tolerance) {
  const plat::TColorTable& palette = bitmap.Palette();
  int darkness[256];
  for (size_t i = 0; i < 256; ++i) darkness[i] = 765 - (i < palette.size() ? Sum(palette[i]) : 0);
  return WithinLimit(bitmap, DarknessLimit(bitmap, 765, tolerance), [&](const uint8_t* row) {
    int64_t dark = 0;
    for (int x = 0; x < bitmap.Width(); ++x) dark += darkness[IndexAt(row, x, bits)];
    return dark;
  });
}

bool IsBlank24(const TicBitmap& bitmap, uint32_t tolerance) {
  const int64_t bytes = int64_t{bitmap.Width()} * 3;
  return WithinLimit(bitmap, DarknessLimit(bitmap, 765, tolerance), [&](const uint8_t* row) {
    int64_t dark = 0;
    for (int64_t i = 0; i < bytes; ++i) dark += 255 - row[i];
    return dark;
  });
}

struct Bisector {
  double m = 0, k = 0;  // y = k + m * x
};

Bisector BisectorOf(double xa, double ya, double xb, double yb) {
  const double m = -(xb - xa) / (yb - ya);
  return {m, (ya + yb) / 2 - m * (xa + xb) / 2};
}

bool ArcReversed(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) {
  if (x1 == x3) return (y1 < y3) == (x1 < x2);
  const int64_t product = (int64_t{x2} - x1) * (int64_t{y3} - y1);
  const double slope_term = static_cast<double>(product) / static_cast<double>(int64_t{x3} - x1);
  return (static_cast<double>(int64_t{y2} - y1) < slope_term) == (x1 < x3);
}

}  // namespace

int64_t ColorCount(const TicBitmap& bitmap, plat::TColor colour) {
  if (bitmap.PixelFormat() == TPixelFormat::pf24bit) return Count24(bitmap, colour);
  const int bits = IndexedBits(bitmap);
  if (bits == 0) return 0;
  const plat::TColorTable& palette = bitmap.Palette();
  const plat::TRGBQuad wanted = plat::TRGBQuad::FromColor(colour);
  const size_t entries = std::min<size_t>(palette.size(), size_t{1} << bits);
  int64_t count = 0;
  for (size_t i = 0; i < entries; ++i) {
    const plat::TRGBQuad& e = palette[i];
    if (e.rgbRed == wanted.rgbRed && e.rgbGreen == wanted.rgbGreen && e.rgbBlue == wanted.rgbBlue)
      count += CountIndex(bitmap, bits, static_cast<uint8_t>(i));
  }
  return count;
}

void Invert(TicBitmap& bitmap) {
  if (bitmap.GetEmpty()) return;
  switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit:
      return ComplementBytes(bitmap, DataBytesPerRow(bitmap.Width(), 1));
    case TPixelFormat::pf24bit:
      return ComplementBytes(bitmap, DataBytesPerRow(bitmap.Width(), 24));
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: {
      plat::TColorTable palette = bitmap.Palette();
      for (plat::TRGBQuad& e : palette)
        e = {static_cast<uint8_t>(~e.rgbBlue), static_cast<uint8_t>(~e.rgbGreen),
             static_cast<uint8_t>(~e.rgbRed), 0};
      // The indices stay: each pixel takes the complement of its own colour.
      bitmap.SetColorTable(palette);
      return;
    }
    default:
      return;
  }
}

bool IsBlank(const TicBitmap& bitmap, uint32_t tolerance) {
  switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit:
      return IsBlankMono(bitmap, tolerance);
    case TPixelFormat::pf4bit:
      return IsBlankIndexed(bitmap, 4, tolerance);
    case TPixelFormat::pf8bit:
      return IsBlankIndexed(bitmap, 8, tolerance);
    case TPixelFormat::pf24bit:
      return IsBlank24(bitmap, tolerance);
    default:
      return false;
  }
}

bool CircleThrough3Points(TCircle& circle, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          int32_t x3, int32_t y3) {
  circle = {};
  Bisector found[2];
  int count = 0;
  if (y1 != y2) found[count++] = BisectorOf(x1, y1, x2, y2);
  if (y3 != y1) found[count++] = BisectorOf(x1, y1, x3, y3);
  if (count < 2 && y3 != y2) found[count++] = BisectorOf(x2, y2, x3, y3);
  if (count < 2 || found[0].m == found[1].m) return false;
  const double x = (found[1].k - found[0].k) / (found[0].m - found[1].m);
  const double y = found[0].m * x + found[0].k;
  const double r = std::hypot(x1 - x, y1 - y);
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) return false;
  circle = {static_cast<int32_t>(std::trunc(x + 0.5)), static_cast<int32_t>(std::trunc(y + 0.5)),
            static_cast<int32_t>(std::trunc(r + 0.5)), ArcReversed(x1, y1, x2, y2, x3, y3)};
  return true;
}

bool ArcThrough3Points(TArc& arc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                       int32_t y3) {
  arc = {};
  TCircle c;
  if (!CircleThrough3Points(c, x1, y1, x2, y2, x3, y3)) return false;
  arc.left = c.x - c.radius;
  arc.top = c.y - c.radius;
  arc.right = c.x + c.radius + 1;
  arc.bottom = c.y + c.radius + 1;
  arc.start_x = c.reversed ? x3 : x1;
  arc.start_y = c.reversed ? y3 : y1;
  arc.end_x = c.reversed ? x1 : x3;
  arc.end_y = c.reversed ? y1 : y3;
  return true;
}

}  // namespace pictavo
