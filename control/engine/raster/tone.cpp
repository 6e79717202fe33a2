#include "control/engine/raster/tone.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "control/engine/raster/pixels.h"
#include "control/engine/raster/selection.h"

namespace pictavo {

namespace {

struct ToneAmount {
  int result = rcDone;
  uint8_t amount = 0;
  bool up = false;
};

ToneAmount AmountOf(int value, uint8_t mode) {
  const bool percent = mode == tmBrightness || mode == tmPowerContrast || mode == tmContrast;
  if (mode > tmContrast) return {rcArgument};
  if (percent && (value < 0 || value > 100)) return {rcRange};
  switch (mode) {
    case tmBrightness:
      if (value <= 50) return {rcDone, static_cast<uint8_t>((50 - value) * 128 / 50), false};
      return {rcDone, static_cast<uint8_t>((value - 50) * 128 / 50), true};
    case tmAmount:
      if (value < 1) return {rcDone, static_cast<uint8_t>(-value), false};
      return {rcDone, static_cast<uint8_t>(value), true};
    default:
      return {rcDone, static_cast<uint8_t>(value), value > 50};
  }
}

uint8_t ShiftCurve(int v, int amount, bool up) {
  if (up) return static_cast<uint8_t>(v + amount < 255 ? v + amount : 255);
  return static_cast<uint8_t>(v > amount ? v - amount : 0);
}

// Linear contrast around 128: the upper half is folded onto the lower one, pushed away from or
// pulled towards the middle, and unfolded again.
uint8_t LinearContrast(int v, int amount, bool up) {
  const bool folded = v > 127;
  if (folded) v = 255 - v;
  if (up)
    v -= (128 - v) * (amount - 50) * 12 / 256;
  else
    v += (128 - v) * (50 - amount) * 6 / 256;
  v = std::clamp(v, 0, 127);
  return static_cast<uint8_t>(folded ? 255 - v : v);
}

uint8_t PowerContrast(int v, int amount) {
  const bool folded = v > 127;
  const double d = folded ? 255 - v : v;
  double k;
  if (v == 0 || v == 255)
    k = 1;
  else if (v == 127 || v == 128)
    k = 30;
  else
    k = std::log(1 - d / 127) / std::log(1 / (d / 127 + 1));
  const double e = std::pow(amount / ((d / 127 + 1) * 50), k);
  const double f = std::max((1 - e) * 127, 0.0);
  const int out = static_cast<int>(std::trunc(f + 0.5));
  return static_cast<uint8_t>(folded ? 255 - out : out);
}

}  // namespace

uint8_t ToneCurve(uint8_t v, uint8_t amount, bool up, uint8_t mode) {
  switch (mode) {
    case tmContrast:
      return LinearContrast(v, amount, up);
    case tmPowerContrast:
      return PowerContrast(v, amount);
    default:
      return ShiftCurve(v, amount, up);
  }
}

int ApplyToneCurve(TicBitmap& bitmap, int value, bool doRed, bool doGreen, bool doBlue,
                   uint8_t mode) {
  if (bitmap.ColorFormat == cfMonoBW) return rcDone;
  if (bitmap.ColorFormat == cf16Grayscale || bitmap.ColorFormat == cf256Grayscale)
    doRed = doGreen = doBlue = true;
  const ToneAmount a = AmountOf(value, mode);
  if (a.result != rcDone) return a.result;

  std::array<uint8_t, 256> curve;
  for (int v = 0; v < 256; ++v) curve[v] = ToneCurve(static_cast<uint8_t>(v), a.amount, a.up, mode);
  auto apply = [&](uint8_t& channel, bool selected) {
    if (selected) channel = curve[channel];
  };

  switch (bitmap.PixelFormat()) {
    case plat::TPixelFormat::pf1bit:
    case plat::TPixelFormat::pf4bit:
    case plat::TPixelFormat::pf8bit: {
      plat::TColorTable palette = bitmap.Palette();
      for (plat::TRGBQuad& entry : palette) {
        apply(entry.rgbRed, doRed);
        apply(entry.rgbGreen, doGreen);
        apply(entry.rgbBlue, doBlue);
      }
      bitmap.SetColorTable(palette);  // every pixel keeps its index
      return rcDone;
    }
    case plat::TPixelFormat::pf24bit:
      OwnPixels(bitmap);
      ForRowBands(bitmap.Height(), bitmap.Width(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
          uint8_t* row = bitmap.ScanLine(y);
          for (int x = 0; x < bitmap.Width(); ++x) {
            if (!IsPixelSelected(bitmap, x, y)) continue;
            apply(row[3 * x + 2], doRed);
            apply(row[3 * x + 1], doGreen);
            apply(row[3 * x], doBlue);
          }
        }
      });
      return rcDone;
    default:
      return rcPixelFormat;
  }
}

}  // namespace pictavo
