// PNG glue: a TPNGImage per call; the transparent colour travels as Transparent and BGColor.
#include <algorithm>

#include "control/engine/raster/glue/glue.h"
#include "control/formats/png/png_image.h"
#include "platform/base/streams.h"

namespace pictavo::glue {

namespace {

// Indexed images come out as the bitmap's own BMP writer and reader would leave them. The byte
// path does it for 1 and 4 bits only.
bool RebuiltThroughBmp(plat::TPixelFormat format, LoadPath path) {
  switch (format) {
    case plat::TPixelFormat::pf1bit:
    case plat::TPixelFormat::pf4bit:
      return true;
    case plat::TPixelFormat::pf8bit:
      return path == LoadPath::File;
    default:
      return false;
  }
}

// Leaves what writing the bitmap as BMP and reading it back would: the palette cut or padded with
// black to the format's size and its reserved bytes cleared; the pixels stay where they are
// instead of being written and read again.
void RebuildAsBmp(TicBitmap& target) {
  plat::TBitmap rebuilt;
  rebuilt.Assign(static_cast<const plat::TBitmap&>(target));
  // The pixels are then the rebuilt bitmap's alone, so changing its palette copies none of them.
  target.Clear();
  const plat::TColorTable& old = rebuilt.Palette();
  plat::TColorTable palette(static_cast<size_t>(plat::PaletteSizeOf(rebuilt.PixelFormat())));
  for (size_t i = 0; i < std::min(palette.size(), old.size()); ++i) {
    palette[i] = old[i];
    palette[i].rgbReserved = 0;
  }
  rebuilt.SetColorTable(palette);
  target.Assign(rebuilt);
}

}  // namespace

void LoadPng(LoadRequest& request) {
  TicBitmap& target = request.target;
  {
    TPNGImage png;
    png.LoadFromStream(request.stream);
    target.Assign(png);
    target.Transparent = png.HasTransparentColor;
    if (png.HasTransparentColor) target.BGColor = png.TransparentColor;
  }
  if (RebuiltThroughBmp(target.PixelFormat(), request.path)) RebuildAsBmp(target);
}

void SavePng(SaveRequest& request) {
  TPNGImage png;
  png.Assign(request.bitmap);
  if (request.bitmap.Transparent) {
    png.HasTransparentColor = true;
    png.TransparentColor = request.bitmap.BGColor;
  }
  png.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
