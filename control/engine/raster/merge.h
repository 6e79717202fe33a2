#pragma once
// Overlaying a second bitmap on a TicBitmap (watermarks and merged pictures).
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// Merge placement styles.
enum TxWMStyle : uint8_t { wmCentre = 0, wmSingle = 1, wmTile = 2, wmWrap = 3 };

struct TMergeOptions {
  bool transparent = false;                   // skip overlay pixels of transparent_color
  plat::TColor transparent_color = 0xFFFFFF;  // 0x00BBGGRR
  double transparency = 0;                    // percent: 0 shows the overlay, 100 the base
  uint8_t style = wmSingle;                   // TxWMStyle; values above 3 tile
  int32_t left = 0, top = 0;                  // base column and row of wmSingle
};

// Overlays overlay on bitmap. Indexed colour formats other than cfMonoBW are widened to 24 bits
// for the blend and reduced back afterwards; cfMonoBW stays 1-bit, each pixel black or white by
// the blended grey. Returns rcPixelFormat (nothing changed) when bitmap has no image.
int MergeImage(TicBitmap& bitmap, const plat::TBitmap& overlay, const TMergeOptions& options);

}  // namespace pictavo
