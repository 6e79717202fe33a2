#pragma once
// Writing covered pixels in their stored form (private to platform/graphics): the pen's raster
// operation on the stored bits, the brush with its hatch, the background.
#include <array>
#include <cstdint>

#include "platform/graphics/canvas.h"
#include "platform/graphics/coverage.h"

namespace plat {

// Reads and writes stored pixel values of one bitmap.
class TPixelWriter {
 public:
  explicit TPixelWriter(TBitmap& bitmap);

  // The stored value of color: the nearest palette entry on indexed images.
  uint32_t Encode(TColor color) const;
  uint32_t Get(int x, int y) const;
  // Combines value into the pixel with mode, keeping the bits that carry no colour.
  void Combine(int x, int y, TPenMode mode, uint32_t value);

 private:
  TBitmap& bitmap_;
  int bits_;
  uint32_t colour_bits_;
};

// How one kind of cover is written: not at all, or value through mode wherever the 8 x 8
// pattern (one byte a row, bit x for column x, anchored at the bitmap origin) has its bit set.
struct TInk {
  bool draws = false;
  TPenMode mode = TPenMode::pmCopy;
  uint32_t value = 0;
  std::array<uint8_t, 8> pattern{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
};

// The ink of a brush (none for a clear brush).
TInk BrushInk(const TBrush& brush, TPenMode mode, const TPixelWriter& writer);
// The background ink: the brush colour while the brush is solid, none otherwise.
TInk BackgroundInk(const TBrush& brush, TPenMode mode, const TPixelWriter& writer);
// A plain colour.
TInk ColourInk(TColor color, TPenMode mode, const TPixelWriter& writer);

// Writes every covered pixel with the ink of its cover (indexed by TCover).
void PaintCoverage(TBitmap& bitmap, const TCoverage& coverage, const std::array<TInk, 4>& inks);

}  // namespace plat
