#pragma once
// Per-channel tone curves: brightness (mode 0), signed amount (1), power contrast (2) and linear
// contrast (3). Palette images change their palette (every pixel keeps its index, the selection
// does not apply); 24-bit images change their pixels, inside the selection when it is used.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

enum TxToneMode : uint8_t { tmBrightness = 0, tmAmount = 1, tmPowerContrast = 2, tmContrast = 3 };

// Returns a TxResult: rcRange for a brightness or contrast outside 0..100, rcArgument for an
// unknown mode, rcPixelFormat for pixels other than 1, 4, 8 or 24 bits.
int ApplyToneCurve(TicBitmap& bitmap, int value, bool doRed, bool doGreen, bool doBlue,
                   uint8_t mode);

// The curve for one channel value with amount and direction as ApplyToneCurve derives them.
uint8_t ToneCurve(uint8_t v, uint8_t amount, bool up, uint8_t mode);

}  // namespace pictavo
