#pragma once
// The shared pixel storage behind TBitmap (private to platform/graphics).
#include <cstdint>
#include <new>
#include <vector>

#include "platform/base/large_blocks.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"
#include "platform/graphics/pixel_budget.h"

namespace plat {

// New elements are left unset, so a fresh pixel block is not written by the allocating thread
// alone: Allocate clears it on the worker pool instead (the first touch of a block of tens of
// megabytes costs more in page faults than the clearing itself).
using TPixelBytes = TLargeBytes;

struct TBitmap::Image {
  int width = 0;
  int height = 0;
  TPixelFormat format = TPixelFormat::pf24bit;
  int64_t row_bytes = 4;
  TColorTable palette;
  // Declared before pixels, so a copy takes its share of the budget before it allocates.
  TPixelReservation reservation;
  TPixelBytes pixels;  // rows top-down in memory; ScanLine(0) is the top row

  // What a fresh block of pixels holds: all 0, or (for a decoder that writes every row itself)
  // whatever the allocator left there, except the padding at each row's end, which is 0.
  enum class TFill { kZero, kPaddingOnly };

  // New storage of w x h pixels of format f, filled as fill says.
  void Allocate(int w, int h, TPixelFormat f, TFill fill = TFill::kZero);
};

// The colour table a new bitmap of an indexed format starts with.
TColorTable DefaultPalette(TPixelFormat format);

}  // namespace plat
