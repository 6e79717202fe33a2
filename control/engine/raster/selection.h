#pragma once
// The selection of a TicBitmap: a rectangle or an ellipse held as one mask byte a pixel plus its
// inclusive bounds. The tone curves, the convolution and red-eye reduction work only inside it
// while UseSelection is on.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// Inverted bounds (X2 < X1 or Y2 < Y1) do nothing. Otherwise the bounds are clamped to the
// image; a rectangle that lies wholly outside the image gives a selection of no pixels.
void SelectRectangle(TicBitmap& bitmap, int x1, int y1, int x2, int y2);
// The ellipse inscribed in the clamped rectangle, one span a row.
void SelectEllipse(TicBitmap& bitmap, int x1, int y1, int x2, int y2);
// Frees the mask; the bounds keep the last selection's values.
void CancelSelection(TicBitmap& bitmap);
// UseSelection := value, but only while a selection exists.
void SetUseSelection(TicBitmap& bitmap, bool value);
// Crops to the selection's bounds (the last selection's after a cancel); pixels outside an
// ellipse take BGColor first.
void CropToSelection(TicBitmap& bitmap);

// True when pixel (x, y) is one an operation may change: every pixel unless the selection is used.
bool IsPixelSelected(const TicBitmap& bitmap, int x, int y);

// Red, green and blue of one pixel. Returns rcArgument outside the image and rcPixelFormat for
// pixels other than 1, 4, 8 or 24 bits.
int GetPixelRGB(const TicBitmap& bitmap, int row, int column, uint8_t& red, uint8_t& green,
                uint8_t& blue);

// Red-eye reduction of a cf24bit image: a pixel whose red exceeds both green and blue by more
// than 30 becomes red (G + B) div 2, green B, blue G. Green and blue change places on purpose:
// that is the look users of the control know, so it is kept.
void ReduceRedEye(TicBitmap& bitmap);

}  // namespace pictavo
