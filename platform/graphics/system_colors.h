#pragma once
// System colours: a colour with 0x80000000 set names entry (colour & 0xFF) of one fixed table,
// the classic Windows default scheme, so output never depends on the desktop theme.
#include "platform/graphics/color.h"

namespace plat {

constexpr TColor kSystemColorFlag = 0x80000000;

constexpr bool IsSystemColor(TColor color) {
  return (color & kSystemColorFlag) != 0;
}
// The colour of system colour index (0 for an index the table does not have).
TColor GetSysColor(int index);
// The colour a value stands for: system colours resolved, every other value unchanged.
TColor ColorToRGB(TColor color);

// The 20 colours a palette-based display reserves: entries 0..9 and 10..19 of the system's
// default palette (black first, white last).
const TColorTable& SystemDefaultPalette();

}  // namespace plat
