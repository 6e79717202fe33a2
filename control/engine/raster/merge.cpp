#include "control/engine/raster/merge.h"

#include <cmath>

#include "control/engine/raster/pixels.h"

namespace pictavo {

namespace {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};

Rgb RgbOf(plat::TColor colour) {
  return {plat::GetRValue(colour), plat::GetGValue(colour), plat::GetBValue(colour)};
}

Rgb OverlayPixel(const plat::TBitmap& overlay, const uint8_t* row, int64_t x) {
  const int bits = plat::BitsPerPixel(overlay.PixelFormat());
  if (bits == 24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
  const uint8_t index = IndexAt(row, x, bits);
  const plat::TColorTable& palette = overlay.Palette();
  if (index >= palette.size()) return {};
  return {palette[index].rgbRed, palette[index].rgbGreen, palette[index].rgbBlue};
}

// t * base + (1 - t) * over, rounded; transparencies outside 0..100 would leave the byte range,
// so the result is held inside it.
uint8_t Blend(long double t, long double base, long double over) {
  const long double v = std::trunc(t * base + (1 - t) * over + 0.5L);
  if (!(v >= 0)) return 0;
  return v > 255 ? 255 : static_cast<uint8_t>(v);
}

class BaseWriter {
 public:
  BaseWriter(TicBitmap& base, long double t) : base_(base), t_(t) {
    mono_ = base.PixelFormat() == plat::TPixelFormat::pf1bit;
    if (mono_) {
      palette_ = base.Palette();
      palette_.resize(2);
      white_bit_ = palette_[0].rgbRed == 0 ? 1 : 0;
    }
  }

  void Write(uint8_t* row, int64_t x, const Rgb& over) const {
    if (!mono_) {
      uint8_t* p = row + 3 * x;
      p[0] = Blend(t_, p[0], over.blue);
      p[1] = Blend(t_, p[1], over.green);
      p[2] = Blend(t_, p[2], over.red);
      return;
    }
    const long double grey = (over.red + over.green + over.blue) / 3.0L;
    const uint8_t present = IndexAt(row, x, 1);
    const bool white = Blend(t_, palette_[present].rgbRed, grey) >= 128;
    SetIndexAt(row, x, 1, static_cast<uint8_t>(white ? white_bit_ : 1 - white_bit_));
  }

 private:
  TicBitmap& base_;
  long double t_;
  bool mono_ = false;
  plat::TColorTable palette_;
  int white_bit_ = 1;
};

// Which overlay row feeds one base row and which run of base columns it covers.
struct RowPlan {
  bool used = false;
  int64_t overlay_row = 0;
  int64_t x_begin = 0, x_end = 0;
  int64_t overlay_column = 0;  // feeds x_begin; later columns follow it, wrapping at the width
};

RowPlan PlanRow(const TMergeOptions& o, int64_t y, int64_t width, int64_t height, int64_t ow,
                int64_t oh) {
  const uint8_t style = o.style;
  if (style == wmCentre || style == wmSingle) {
    const int64_t left = style == wmCentre ? (width - ow) / 2 : o.left;
    const int64_t top = style == wmCentre ? (height - oh) / 2 : o.top;
    const int64_t row = y - top;
    if (row < 0 || row >= oh) return {};
    const int64_t begin = std::max<int64_t>(left, 0);
    return {true, row, begin, std::min(left + ow, width), begin - left};
  }
  const int64_t band = y / oh;
  const int64_t first = style == wmWrap ? (band * width) % ow : 0;
  return {true, y % oh, 0, width, first};
}

bool BaseWritable(const TicBitmap& bitmap) {
  const plat::TPixelFormat f = bitmap.PixelFormat();
  return bitmap.ColorFormat == cfMonoBW ? f == plat::TPixelFormat::pf1bit
                                        : f == plat::TPixelFormat::pf24bit;
}

void Overlay(TicBitmap& bitmap, const plat::TBitmap& overlay, const TMergeOptions& o) {
  const BaseWriter writer(bitmap, static_cast<long double>(o.transparency) / 100);
  const Rgb key = RgbOf(o.transparent_color);
  const int64_t width = bitmap.Width(), height = bitmap.Height();
  const int64_t ow = overlay.Width(), oh = overlay.Height();
  for (int64_t y = 0; y < height; ++y) {
    const RowPlan plan = PlanRow(o, y, width, height, ow, oh);
    if (!plan.used || plan.x_begin >= plan.x_end) continue;
    const uint8_t* source = overlay.ScanLine(static_cast<int>(plan.overlay_row));
    uint8_t* row = bitmap.ScanLine(static_cast<int>(y));
    int64_t column = plan.overlay_column;
    for (int64_t x = plan.x_begin; x < plan.x_end; ++x) {
      const Rgb pixel = OverlayPixel(overlay, source, column);
      if (!(o.transparent && pixel == key)) writer.Write(row, x, pixel);
      if (++column == ow) column = 0;
    }
  }
}

}  // namespace

int MergeImage(TicBitmap& bitmap, const plat::TBitmap& overlay, const TMergeOptions& options) {
  const uint8_t format = bitmap.ColorFormat;
  if (format == cfNone) return rcPixelFormat;
  if (overlay.Width() <= 0 || overlay.Height() <= 0) return rcDone;
  // A shared copy: converting a 15-, 16- or 32-bit overlay must not touch the caller's.
  plat::TBitmap readable(overlay);
  if (!IsMovableFormat(readable.PixelFormat()))
    readable.SetPixelFormat(plat::TPixelFormat::pf24bit);
  if (format >= cf256Color && format <= cfMono) bitmap.SetColorFormat(cf24bit);
  if (BaseWritable(bitmap)) Overlay(bitmap, readable, options);
  bitmap.SetColorFormat(format);
  return rcDone;
}

}  // namespace pictavo
