#pragma once
// Colour reduction for GIF: a bitmap of more than 8 bits a pixel becomes an 8-bit palette bitmap
// through a palette chosen by a reduction method, a colour lookup and a ditherer.
#include <cstdint>
#include <memory>

#include "control/formats/gif/gif_dib.h"
#include "control/formats/gif/gif_dither.h"
#include "platform/graphics/bitmap.h"

namespace pictavo {

enum class TReductionMethod : uint8_t {
  crNone = 0,
  crSystem20 = 1,
  crHalftone256 = 2,
  crSystemGrey4 = 3,
  crMonochrome = 4,
  crGrey256 = 5,
  crWebSafe216 = 6,
  crQuantise = 7,
  crQuantiseWithSystem = 8,
  crCustomPalette = 9
};

// Palette entries carry their flags in rgbReserved; the flags are kept as the palettes were
// defined but change nothing here, and the reduced bitmap's colour table holds them as 0.
constexpr uint8_t kPaletteNoCollapse = 4;

// Entry r * 36 + g * 6 + b (each 0..5) is (51 r, 51 g, 51 b).
plat::TColorTable WebSafePalette();
// Entry i is (i, i, i).
plat::TColorTable GreyRampPalette();
plat::TColorTable BlackWhitePalette();
// 0, 128, 192 and 255 grey.
plat::TColorTable SystemGreyPalette();
// A fixed 256-colour table that stands in for a screen's halftone palette (see the .cpp).
plat::TColorTable HalftonePalette();

// A palette of `colours` entries (at most 256) from the octree of the reader's 24-bit rows,
// leaf means truncated; entries the tree has no leaf for are black. With system colours the
// palette has 256 entries: the system default palette's 20 colours at 0..9 and 246..255 and 236
// colours of the image between them.
plat::TColorTable OctreePalette(const TDIBReader& reader, int colours, int colourBits,
                                bool withSystemColours);
// The same through a 24-bit reader on bitmap (which is converted to 24 bits in place).
plat::TColorTable OctreePaletteOfBitmap(plat::TBitmap& bitmap, int colours, int colourBits,
                                        bool withSystemColours);

// A new bitmap holding `bitmap` reduced: a 24-bit copy for crNone, otherwise 8 bits with the
// method's palette (`palette` for crCustomPalette; 2^depth octree colours for crQuantise, depth
// held to 1..8). The caller's bitmap is converted to 24 bits in place for every method but
// crNone. An unknown method or dither method, or a palette without entries, gives an empty
// bitmap; errors of the DIB writer pass on.
std::unique_ptr<plat::TBitmap> ReduceBitmapColors(plat::TBitmap& bitmap, TReductionMethod method,
                                                  TDitherMethod ditherMethod,
                                                  const plat::TColorTable& palette, int depth);

}  // namespace pictavo
