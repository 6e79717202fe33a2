// PNG glue: a TPNGImage per call; the transparent colour travels as Transparent and BGColor.
#include "control/engine/raster/glue/glue.h"
#include "control/formats/png/png_image.h"
#include "platform/base/streams.h"

namespace pictavo::glue {

namespace {

// Indexed images go once through the bitmap's own BMP writer and reader, which rebuilds them
// with the same pixels, palette and resolution. The byte path does it for 1 and 4 bits only.
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

}  // namespace

void LoadPng(LoadRequest& request) {
  TPNGImage png;
  png.LoadFromStream(request.stream);
  TicBitmap& target = request.target;
  target.Assign(png);
  target.Transparent = png.HasTransparentColor;
  if (png.HasTransparentColor) target.BGColor = png.TransparentColor;
  if (RebuiltThroughBmp(target.PixelFormat(), request.path)) {
    plat::TMemoryStream bmp;
    target.SaveToStream(bmp);
    bmp.SetPosition(0);
    target.LoadFromStream(bmp);
  }
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
