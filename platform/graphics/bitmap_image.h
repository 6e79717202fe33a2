#pragma once
// The shared pixel storage behind TBitmap (private to platform/graphics).
#include <cstdint>
#include <vector>

#include "platform/base/large_blocks.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"
#include "platform/graphics/pixel_budget.h"

namespace plat {

struct TBitmap::Image {
  int width = 0;
  int height = 0;
  TPixelFormat format = TPixelFormat::pf24bit;
  int64_t row_bytes = 4;
  TColorTable palette;
  // Declared before pixels, so a copy takes its share of the budget before it allocates.
  TPixelReservation reservation;
  TLargeBytes pixels;  // rows top-down in memory; ScanLine(0) is the top row

  void Allocate(int w, int h, TPixelFormat f);
};

// The colour table a new bitmap of an indexed format starts with.
TColorTable DefaultPalette(TPixelFormat format);

}  // namespace plat
