#pragma once
// A QImage copy of a bitmap for display. The bitmap stays the only storage of the pixels; the
// view is made when something is to be shown and thrown away afterwards.
#include <QImage>

namespace plat {

class TBitmap;

// 1-bit images become QImage::Format_Mono, 4-bit ones are expanded to Format_Indexed8 (Qt has
// no 4-bit format), 8-bit Format_Indexed8, both with the colour table; direct-colour formats
// keep their layout (RGB555, RGB16, BGR888, RGB32). An empty bitmap gives a null QImage.
QImage ToQImage(const TBitmap& bitmap);
// A 24-bit bitmap of a picture Qt loaded (alpha dropped); a null picture gives an empty bitmap.
TBitmap From24BitQImage(const QImage& picture);

}  // namespace plat
