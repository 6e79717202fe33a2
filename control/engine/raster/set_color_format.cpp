// Colour-depth change of TicBitmap by the platform's nearest-colour conversion. The raster
// operations replace this file with the quantising conversion of their own.
#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

namespace {

plat::TColorTable GreyRamp(int entries) {
  plat::TColorTable ramp(entries);
  for (int i = 0; i < entries; ++i) {
    const auto g = static_cast<uint8_t>(255 * i / (entries - 1));
    ramp[i] = {g, g, g, 0};
  }
  return ramp;
}

}  // namespace

int TicBitmap::SetColorFormat(uint8_t code) {
  using plat::TPixelFormat;
  if (code == cfNone || code == ColorFormat) return rcDone;
  if (code > cfNone) return rcArgument;
  static constexpr TPixelFormat kFormats[] = {
      TPixelFormat::pf24bit, TPixelFormat::pf8bit, TPixelFormat::pf8bit, TPixelFormat::pf4bit,
      TPixelFormat::pf4bit,  TPixelFormat::pf1bit, TPixelFormat::pf1bit};
  SetPixelFormat(TPixelFormat::pf24bit);
  SetPixelFormat(kFormats[code]);
  if (code == cf256Grayscale) SetPalette(GreyRamp(256));
  if (code == cf16Grayscale) SetPalette(GreyRamp(16));
  if (code == cfMonoBW) SetPalette(GreyRamp(2));
  UpdateColorFormat();
  return rcDone;
}

}  // namespace pictavo
