#pragma once
// The bar's button pictures, drawn at start: a dark face with a light symbol, and a pressed
// version sunk by a pixel on a lighter face.
#include <QPixmap>
#include <QSize>

namespace players::slideshow {

enum class Glyph { kPrevious, kPlay, kNext, kExit, kPause };

QPixmap DrawGlyph(Glyph glyph, QSize size, bool pressed);

}  // namespace players::slideshow
