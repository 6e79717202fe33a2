#pragma once
// Mirroring of a TicBitmap. The selection never limits a flip and is cancelled by it.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

enum TxFlipMode : uint8_t { fmHoriz = 0, fmVert = 1 };

// fmHoriz mirrors left-right, fmVert top-bottom; other modes and pixel formats other than 1, 4,
// 8 and 24 bits leave the pixels alone. Returns rcDone.
int Flip(TicBitmap& bitmap, uint8_t mode);

}  // namespace pictavo
