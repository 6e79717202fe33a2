#include "control/engine/raster/geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "control/engine/raster/flip.h"
#include "control/engine/raster/glue/glue.h"
#include "control/engine/raster/pixels.h"
#include "control/engine/raster/resample.h"
#include "control/engine/raster/selection.h"
#include "platform/graphics/system_colors.h"

namespace pictavo {

namespace {

// A new bitmap of the same pixel format and palette, sized with 64-bit checks; cleared unless the
// caller writes every pixel itself.
plat::TBitmap NewLike(const plat::TBitmap& like, int64_t width, int64_t height,
                      bool unfilled = false) {
  if (width > INT_MAX || height > INT_MAX) throw plat::EOutOfMemory("Out of memory");
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  plat::TBitmap result =
      unfilled ? UnfilledBitmap(w, h, like.PixelFormat()) : plat::TBitmap(w, h, like.PixelFormat());
  result.SetColorTable(like.Palette());
  return result;
}

void FillAll(plat::TBitmap& bitmap, const PixelValue& fill) {
  if (bitmap.GetEmpty()) return;
  uint8_t* first = bitmap.ScanLine(0);
  for (int x = 0; x < bitmap.Width(); ++x) WritePixelValue(bitmap, first, x, fill);
  for (int y = 1; y < bitmap.Height(); ++y)
    std::memcpy(bitmap.ScanLine(y), first, static_cast<size_t>(bitmap.RowBytes()));
}

// Pixels move as stored values, so palette images keep their indices exactly.
void CopyRowSpan(const uint8_t* src, int sx, uint8_t* dst, int dx, int count, int bits) {
  if (bits % 8 == 0) {
    const int bytes = bits / 8;
    std::memcpy(dst + int64_t{dx} * bytes, src + int64_t{sx} * bytes, size_t(count) * bytes);
    return;
  }
  for (int i = 0; i < count; ++i) CopyPixel(src, sx + i, dst, dx + i, bits);
}

float NormalisedAngle(float angle) {
  if (angle >= 360) angle -= std::trunc(angle / 360) * 360;
  if (angle < 0) angle += (std::trunc(std::fabs(angle) / 360) + 1) * 360;
  return angle;
}

// Output rows y0..y1 of a quarter turn, in tiles of kTile source rows: a tile reads the same
// few bytes of each of its source rows for every output row, so they stay in the cache and its
// rows' pages in the TLB.
template <int kBytes>
void RotateQuarterBand(const plat::TBitmap& source, plat::TBitmap& rotated, bool clockwiseQuarter,
                       int y0, int y1) {
  constexpr int kTile = 64;
  const int W = source.Width(), H = source.Height();
  const int bits = plat::BitsPerPixel(source.PixelFormat());
  std::vector<uint8_t*> out(static_cast<size_t>(y1 - y0));
  for (int y = y0; y < y1; ++y) out[y - y0] = rotated.ScanLine(y);
  const uint8_t* in[kTile];
  for (int x0 = 0; x0 < H; x0 += kTile) {
    const int count = std::min(kTile, H - x0);
    // 90: new (x, y) is old (W - 1 - y, x); 270: old (y, H - 1 - x).
    for (int t = 0; t < count; ++t)
      in[t] = source.ScanLine(clockwiseQuarter ? H - 1 - (x0 + t) : x0 + t);
    for (int y = y0; y < y1; ++y) {
      const int sx = clockwiseQuarter ? y : W - 1 - y;
      uint8_t* row = out[y - y0];
      for (int t = 0; t < count; ++t) {
        if constexpr (kBytes == 0)
          CopyPixel(in[t], sx, row, x0 + t, bits);
        else
          std::memcpy(row + int64_t{x0 + t} * kBytes, in[t] + int64_t{sx} * kBytes, kBytes);
      }
    }
  }
}

void RotateQuarter(TicBitmap& bitmap, bool clockwiseQuarter) {
  const int W = bitmap.Width(), H = bitmap.Height();
  const plat::TPixelFormat format = bitmap.PixelFormat();
  const int bits = plat::BitsPerPixel(format);
  // Whole-byte pixels are all written below; the bits after the last pixel of a packed row are
  // not, so those rows start cleared.
  const bool wholeBytes =
      format == plat::TPixelFormat::pf8bit || format == plat::TPixelFormat::pf24bit;
  plat::TBitmap rotated = NewLike(bitmap, H, W, wholeBytes);
  if (IsMovableFormat(format)) {
    constexpr int kBandRows = 64;
    const int bands = (W + kBandRows - 1) / kBandRows;
    auto rotate = bits == 24  ? RotateQuarterBand<3>
                  : bits == 8 ? RotateQuarterBand<1>
                              : RotateQuarterBand<0>;
    OwnPixels(rotated);
    ForRowBands(bands, H * kBandRows, [&](int b0, int b1) {
      for (int b = b0; b < b1; ++b)
        rotate(bitmap, rotated, clockwiseQuarter, b * kBandRows, std::min(W, (b + 1) * kBandRows));
    });
  }
  ReplacePixels(bitmap, rotated);
  const int32_t xPels = bitmap.GetXPelsPerMeter();
  bitmap.SetXPelsPerMeter(bitmap.GetYPelsPerMeter());
  bitmap.SetYPelsPerMeter(xPels);
}

// The fill of a palette image: the first entry of exactly that colour, else index 0.
uint8_t PaletteFillIndex(const plat::TBitmap& bitmap, plat::TColor fill) {
  if (fill & 0x80000000u) return 0;
  const plat::TColorTable& palette = bitmap.Palette();
  for (size_t i = 0; i < palette.size(); ++i)
    if (palette[i].ToColor() == fill) return static_cast<uint8_t>(i);
  return 0;
}

struct RotationFrame {
  float s, c, cx, cy, ncx, ncy;
  float SourceX(int i, int j) const { return (i - ncx) * c - (j - ncy) * s + cx; }
  float SourceY(int i, int j) const { return (i - ncx) * s + (j - ncy) * c + cy; }
};

void RotateNearest(const plat::TBitmap& source, plat::TBitmap& rotated, const RotationFrame& f,
                   plat::TColor fill) {
  const int W = source.Width(), H = source.Height();
  const int bits = plat::BitsPerPixel(source.PixelFormat());
  // A 24-bit fill is taken as stored: red in bits 0-7, not resolved as a system colour.
  const PixelValue fillValue{PaletteFillIndex(source, fill), plat::GetBValue(fill),
                             plat::GetGValue(fill), plat::GetRValue(fill)};
  OwnPixels(rotated);
  ForRowBands(rotated.Height(), rotated.Width(), [&](int j0, int j1) {
    for (int j = j0; j < j1; ++j) {
      uint8_t* out = rotated.ScanLine(j);
      for (int i = 0; i < rotated.Width(); ++i) {
        const long sx = std::lrint(f.SourceX(i, j)), sy = std::lrint(f.SourceY(i, j));
        if (sx >= 0 && sx < W && sy >= 0 && sy < H)
          CopyPixel(source.ScanLine(static_cast<int>(sy)), static_cast<int>(sx), out, i, bits);
        else
          WritePixelValue(rotated, out, i, fillValue);
      }
    }
  });
}

void RotateBilinear(const plat::TBitmap& source, plat::TBitmap& rotated, const RotationFrame& f,
                    plat::TColor fill) {
  OwnPixels(rotated);
  ForRowBands(rotated.Height(), rotated.Width(), [&](int j0, int j1) {
    for (int j = j0; j < j1; ++j) {
      uint8_t* out = rotated.ScanLine(j);
      for (int i = 0; i < rotated.Width(); ++i)
        BilinearSample(source, f.SourceX(i, j), f.SourceY(i, j), fill, out + 3 * int64_t{i});
    }
  });
}

void RotateFree(TicBitmap& bitmap, bool smooth, plat::TColor fill, float angle) {
  const float r = angle * std::numbers::pi_v<float> / 180;
  const float s = std::sin(r), c = std::cos(r);
  const float W = static_cast<float>(bitmap.Width()), H = static_cast<float>(bitmap.Height());
  const int64_t newWidth = std::llrint(std::fabs(H * s) + std::fabs(W * c));
  const int64_t newHeight = std::llrint(std::fabs(W * s) + std::fabs(H * c));
  plat::TBitmap rotated = NewLike(bitmap, newWidth, newHeight);
  const RotationFrame frame{s,
                            c,
                            (W - 1) / 2,
                            (H - 1) / 2,
                            (static_cast<float>(newWidth) - 1) / 2,
                            (static_cast<float>(newHeight) - 1) / 2};
  if (smooth && bitmap.PixelFormat() == plat::TPixelFormat::pf24bit)
    RotateBilinear(bitmap, rotated, frame, fill);
  else if (IsMovableFormat(bitmap.PixelFormat()))
    RotateNearest(bitmap, rotated, frame, fill);
  ReplacePixels(bitmap, rotated);
}

}  // namespace

void BilinearSample(const plat::TBitmap& source, float x, float y, plat::TColor fill,
                    uint8_t* out) {
  const int W = source.Width(), H = source.Height();
  const float fillChannel[3] = {float(plat::GetBValue(fill)), float(plat::GetGValue(fill)),
                                float(plat::GetRValue(fill))};
  // floor, not trunc: left of or above the image the neighbours are X0 - 1 and X0.
  const float x0 = std::floor(x), y0 = std::floor(y);
  const float fx = x - x0, fy = y - y0;
  const float wx[2] = {1 - fx, fx}, wy[2] = {1 - fy, fy};
  float sum[3] = {0, 0, 0};
  for (int b = 0; b < 2; ++b) {
    const float py = y0 + static_cast<float>(b);
    const bool rowInside = py >= 0 && py < static_cast<float>(H);
    const uint8_t* in = rowInside ? source.ScanLine(static_cast<int>(py)) : nullptr;
    for (int a = 0; a < 2; ++a) {
      const float px = x0 + static_cast<float>(a);
      const float weight = wx[a] * wy[b];
      if (rowInside && px >= 0 && px < static_cast<float>(W)) {
        const uint8_t* p = in + 3 * static_cast<int64_t>(px);
        for (int k = 0; k < 3; ++k) sum[k] += weight * p[k];
      } else {
        for (int k = 0; k < 3; ++k) sum[k] += std::nearbyint(weight * fillChannel[k]);
      }
    }
  }
  for (int k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(std::lrint(std::min(sum[k], 255.0f)));
}

void Crop(TicBitmap& bitmap, int x1, int y1, int x2, int y2) {
  const int W = bitmap.Width(), H = bitmap.Height();
  if (x1 < x2 && y1 < y2 && x1 < W && y1 < H) {
    const int64_t width = int64_t{x2} - x1 + 1, height = int64_t{y2} - y1 + 1;
    plat::TBitmap cropped = NewLike(bitmap, width, height);
    FillAll(cropped, FillValueOf(cropped, plat::ColorToRGB(bitmap.BGColor)));
    // The part of the old image inside the rectangle, in destination coordinates.
    const int left = std::max(0, -x1), top = std::max(0, -y1);
    const int right = static_cast<int>(std::min<int64_t>(width, int64_t{W} - x1));
    const int bottom = static_cast<int>(std::min<int64_t>(height, int64_t{H} - y1));
    const int bits = plat::BitsPerPixel(bitmap.PixelFormat());
    for (int j = top; j < bottom; ++j)
      CopyRowSpan(bitmap.ScanLine(y1 + j), x1 + left, cropped.ScanLine(j), left, right - left,
                  bits);
    ReplacePixels(bitmap, cropped);
  }
  CancelSelection(bitmap);
}

void Rotate(TicBitmap& bitmap, bool smooth, plat::TColor fillColor, float angle) {
  // No size follows from an angle that is not a number: refusing keeps the image whole.
  if (!std::isfinite(angle)) throw plat::EInvalidGraphicOperation("Invalid rotation angle");
  angle = NormalisedAngle(angle);
  if (angle == 0 || angle == 360) return;
  if (angle == 180) {
    Flip(bitmap, fmHoriz);
    Flip(bitmap, fmVert);
    return;
  }
  if (angle == 90 || angle == 270)
    RotateQuarter(bitmap, angle == 270);
  else
    RotateFree(bitmap, smooth, fillColor, angle);
  bitmap.BGColor = fillColor;
  CancelSelection(bitmap);
}

void Resize(TicBitmap& bitmap, int newWidth, int newHeight, int filterIndex, bool resample) {
  if (newWidth < 0 || newHeight < 0) throw plat::EInvalidGraphicOperation("Invalid image size");
  if (newWidth == 0 && newHeight == 0) {
    CancelSelection(bitmap);
    return;
  }
  const int64_t W = bitmap.Width(), H = bitmap.Height();
  if (W < 1 || H < 1) throw plat::Exception("Source bitmap too small");
  int64_t w = newWidth, h = newHeight;
  if (w == 0) w = std::max<int64_t>(h * W / H, 1);
  if (h == 0) h = std::max<int64_t>(w * H / W, 1);
  if (w > INT_MAX || h > INT_MAX) throw plat::EOutOfMemory("Out of memory");
  const bool filtered =
      resample || static_cast<double>(h) <= 2 * (static_cast<double>(W * H) / 65536 + 1);
  plat::TBitmap result;
  Stretch(static_cast<int>(w), static_cast<int>(h), result, filterIndex, filtered, bitmap);
  ReplacePixels(bitmap, result);
  bitmap.UpdateColorFormat();
  glue::UpdateExifDimensions(*bitmap.Exif, bitmap.Width(), bitmap.Height());
  CancelSelection(bitmap);
}

}  // namespace pictavo
