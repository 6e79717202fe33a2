#include "control/formats/gif/gif_color_lookup.h"

#include <algorithm>
#include <cstdlib>

namespace pictavo {

namespace {

constexpr int kCacheCells = 32768;
constexpr int16_t kNoEntry = -1;
// Larger than any distance in the colour cube, so the first entry always improves on it.
constexpr int kFarthest = 196608;

int CellOf(int red, int green, int blue) {
  return (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
}

TRGBValue ColourOf(const plat::TRGBQuad& entry) {
  return {entry.rgbRed, entry.rgbGreen, entry.rgbBlue};
}

}  // namespace

TFastColorLookup::TFastColorLookup(const plat::TColorTable& palette)
    : TColorLookup(static_cast<int>(std::min<size_t>(palette.size(), 256))),
      inverseCache_(kCacheCells, kNoEntry) {
  for (int i = 0; i < ColorCount(); ++i) {
    const plat::TRGBQuad& entry = palette[i];
    paletteEntries_[i] = entry;
    int16_t& cell = inverseCache_[CellOf(entry.rgbRed, entry.rgbGreen, entry.rgbBlue)];
    if (cell == kNoEntry) cell = static_cast<int16_t>(i);
  }
}

int TFastColorLookup::NearestEntry(const TRGBValue& colour) const {
  int best = 0;
  int bestDistance = kFarthest;
  for (int i = 0; i < ColorCount(); ++i) {
    const TRGBValue entry = ColourOf(paletteEntries_[i]);
    const int distance = std::abs(colour[0] - entry[0]) + std::abs(colour[1] - entry[1]) +
                         std::abs(colour[2] - entry[2]);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

int TFastColorLookup::Lookup(const TRGBValue& colour, TRGBValue& out) {
  int16_t& cell = inverseCache_[CellOf(colour[0], colour[1], colour[2])];
  if (cell == kNoEntry) cell = static_cast<int16_t>(NearestEntry(colour));
  out = ColourOf(paletteEntries_[cell]);
  return cell;
}

int TNetscapeColorLookup::Lookup(const TRGBValue& colour, TRGBValue& out) {
  int index = 0;
  for (int channel = 0; channel < 3; ++channel) {
    const int level = (colour[channel] + 3) / 51;
    out[channel] = 51 * level;
    index = index * 6 + level;
  }
  return index;
}

int TGrayScaleLookup::Lookup(const TRGBValue& colour, TRGBValue& out) {
  const int y = (77 * colour[0] + 150 * colour[1] + 29 * colour[2]) >> 8;
  out = {y, y, y};
  return y;
}

int TMonochromeLookup::Lookup(const TRGBValue& colour, TRGBValue& out) {
  const bool white = 77 * colour[0] + 150 * colour[1] + 29 * colour[2] > 0x7F00;
  const int value = white ? 255 : 0;
  out = {value, value, value};
  return white ? 1 : 0;
}

}  // namespace pictavo
