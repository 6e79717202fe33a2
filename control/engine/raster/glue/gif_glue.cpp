// GIF glue: frame 0 with its transparency on load; one frame, LZW or run-length coded, with the
// bitmap's transparent colour on save.
#include "control/engine/raster/colorformat.h"
#include "control/engine/raster/glue/glue.h"
#include "control/formats/gif/gif_image.h"

namespace pictavo::glue {

namespace {

// Fills target with the bitmap as one frame.
void BuildGIF(const TicBitmap& bitmap, TGIFImage& target, bool use_lzw) {
  if (bitmap.ColorFormat != cf24bit) {
    target.Assign(bitmap);
  } else {
    TicBitmap reduced(bitmap);
    ConvertColorFormat(reduced, cf256Color, 2, 128);
    target.Assign(reduced);
  }
  target.CompressionMethod = use_lzw ? ecLZW : ecRunLength;
  if (!bitmap.Transparent || target.GetEmpty()) return;
  target.BuildGlobalColorMap();
  TGIFSubImage& frame = *target.Frames().FrameAt(0);
  auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
  TGIFGraphicControlExtension& added = *control;
  frame.Extensions().Append(std::move(control));
  added.SetTransparencyFlag(true);
  // A colour the map does not hold cannot be transparent.
  if (target.GlobalColorMap().FindColor(bitmap.BGColor) < 0)
    added.SetTransparencyFlag(false);
  else
    added.SetTransparentRGB(bitmap.BGColor);
}

}  // namespace

void LoadGif(LoadRequest& request) {
  TGIFImage gif;
  gif.LoadFromStream(request.stream);
  // A file with a screen but no frame has no picture: loading it must not replace the image.
  if (gif.GetEmpty()) throw plat::EInvalidGraphic("The GIF image holds no frame");
  TicBitmap& target = request.target;
  target.Transparent = gif.HasTransparency();
  // The transparency may belong to a later frame: without a control block on frame 0 there is
  // no transparent colour to take, and BGColor stays as it was.
  if (target.Transparent) {
    TGIFGraphicControlExtension* control = gif.Frames().FrameAt(0)->ControlExtension();
    if (control) target.BGColor = control->GetTransparentRGB();
  }
  const plat::TBitmap* frame0 = gif.RenderedBitmap();
  target.Assign(frame0 ? *frame0 : plat::TBitmap());
}

void SaveGif(SaveRequest& request) {
  TGIFImage gif;
  BuildGIF(request.bitmap, gif, request.use_lzw);
  gif.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
