#pragma once
// Colour lookups of the GIF colour reduction: each maps a colour to the index of one palette
// entry and gives that entry's colour back, so a ditherer can measure the error it made.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/graphics/color.h"

namespace pictavo {

// Red, green and blue, each 0..255 when handed to a lookup.
using TRGBValue = std::array<int, 3>;

class TColorLookup {
 public:
  explicit TColorLookup(int colorCount) : colorCount_(colorCount) {}
  virtual ~TColorLookup() = default;
  TColorLookup(const TColorLookup&) = delete;
  TColorLookup& operator=(const TColorLookup&) = delete;

  // The number of palette entries the lookup can answer; 0 makes it unusable.
  int ColorCount() const { return colorCount_; }
  // The palette index for `colour`; `out` receives that entry's colour.
  virtual int Lookup(const TRGBValue& colour, TRGBValue& out) = 0;

 private:
  int colorCount_;
};

// Nearest entry of any palette of up to 256 entries by |dr| + |dg| + |db|, remembered per cell of
// the 5-5-5 colour grid: every colour of a cell gets the answer found for the first colour looked
// up in it (or the first palette entry that falls into the cell).
class TFastColorLookup : public TColorLookup {
 public:
  explicit TFastColorLookup(const plat::TColorTable& palette);
  int Lookup(const TRGBValue& colour, TRGBValue& out) override;

 private:
  int NearestEntry(const TRGBValue& colour) const;

  std::array<plat::TRGBQuad, 256> paletteEntries_{};
  std::vector<int16_t> inverseCache_;
};

// The 216-colour cube: each channel to the nearest of 0, 51, .. 255 by (v + 3) div 51.
class TNetscapeColorLookup : public TColorLookup {
 public:
  TNetscapeColorLookup() : TColorLookup(216) {}
  int Lookup(const TRGBValue& colour, TRGBValue& out) override;
};

// 256 greys: the index is the luminance (77 r + 150 g + 29 b) shr 8.
class TGrayScaleLookup : public TColorLookup {
 public:
  TGrayScaleLookup() : TColorLookup(256) {}
  int Lookup(const TRGBValue& colour, TRGBValue& out) override;
};

// Black (0) and white (1), split at a luminance sum of 0x7F00.
class TMonochromeLookup : public TColorLookup {
 public:
  TMonochromeLookup() : TColorLookup(2) {}
  int Lookup(const TRGBValue& colour, TRGBValue& out) override;
};

}  // namespace pictavo
