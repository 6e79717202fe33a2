#pragma once
// Colour-depth conversion of a TicBitmap between the seven TxColorFormat codes. Palettes of 256
// and 16 colours come from the octree quantiser; pixels whose colour is exactly a palette colour
// then get that colour's first index.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// Mode picks the black-and-white threshold: 0 uses threshold, 1 the mean brightness, any other
// mode 127 (what TicBitmap::SetColorFormat passes). Codes outside 0..6 and the current code do
// nothing; otherwise ColorFormat becomes code.
void ConvertColorFormat(TicBitmap& bitmap, uint8_t code, int mode, int threshold);

// Gives every pixel of target whose colour in copy is exactly one of the first count entries of
// table that entry's index (the first one for duplicates). Works for a 24-bit copy with an
// 8- or 4-bit target and for an 8-bit copy with a 4-bit target; other pairs are left alone.
void RemapToPalette(const plat::TBitmap& copy, plat::TBitmap& target,
                    const plat::TColorTable& table, int count);

}  // namespace pictavo
