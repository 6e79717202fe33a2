#pragma once
// The selection operations the view control needs for its working-copy pattern. They forward to
// the raster selection code once that exists; until then they keep the selection as a bounding
// rectangle with a mask of the shape.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// Cuts the image to the bounding rectangle of its selection and ends the selection.
void CropImageToSelection(TicBitmap& image);
// Selects a rectangle (shape 1) or an ellipse (shape 2) with inclusive bounds.
void SelectShape(TicBitmap& image, uint8_t shape, int left, int top, int right, int bottom);

}  // namespace pictavo
