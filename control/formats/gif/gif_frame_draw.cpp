// Drawing a frame: placed on the logical screen, stretched or tiled, with or without its mask.
#include <cstdlib>

#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_image.h"

namespace pictavo {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * b;
  const int64_t half = std::abs(int64_t{c}) / 2;
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = (std::abs(product) + half) / std::abs(int64_t{c});
  return static_cast<int>(negative ? -magnitude : magnitude);
}

void MaskedStretchBlit(plat::TCanvas& dest, int x, int y, int width, int height,
                       const plat::TBitmap& source, int sourceX, int sourceY, int sourceWidth,
                       int sourceHeight, const plat::TBitmap& mask, int maskX, int maskY) {
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  using plat::TCopyMode;
  const plat::TRect source_area{0, 0, sourceWidth, sourceHeight};
  const plat::TRect mask_area{maskX, maskY, maskX + sourceWidth, maskY + sourceHeight};
  const plat::TRect work_area{0, 0, width, height};
  const plat::TRect target{x, y, x + width, y + height};
  // The source with its transparent pixels black.
  plat::TBitmap cut(sourceWidth, sourceHeight, plat::TPixelFormat::pf24bit);
  cut.Canvas().StretchBlt(source_area, mask, mask_area, TCopyMode::cmNotSrcCopy);
  cut.Canvas().StretchBlt(source_area, source,
                          {sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight},
                          TCopyMode::cmSrcAnd);
  // The AND and OR run on true colours, so an indexed destination only ever receives the
  // colours it showed or the source's.
  plat::TBitmap work(width, height, plat::TPixelFormat::pf24bit);
  work.Canvas().StretchBlt(work_area, dest.Bitmap(), target, TCopyMode::cmSrcCopy);
  work.Canvas().StretchBlt(work_area, mask, mask_area, TCopyMode::cmSrcAnd);
  work.Canvas().StretchBlt(work_area, cut, source_area, TCopyMode::cmSrcPaint);
  dest.StretchBlt(target, work, work_area, TCopyMode::cmSrcCopy);
}

plat::TRect TGIFSubImage::MapToTarget(const plat::TRect& rect) const {
  const TGIFImage* image = OwnerImage();
  const int screen_width = image ? image->GetWidth() : 0;
  const int screen_height = image ? image->GetHeight() : 0;
  // An empty logical screen has no place to scale from.
  if (screen_width <= 0 || screen_height <= 0) return {rect.Left, rect.Top, rect.Left, rect.Top};
  return {rect.Left + MulDiv(left_, rect.Width(), screen_width),
          rect.Top + MulDiv(top_, rect.Height(), screen_height),
          rect.Left + MulDiv(left_ + width_, rect.Width(), screen_width),
          rect.Top + MulDiv(top_ + height_, rect.Height(), screen_height)};
}

void TGIFSubImage::Draw(plat::TCanvas& canvas, const plat::TRect& rect, bool tile,
                        bool transparent) {
  StretchDraw(canvas, tile ? rect : MapToTarget(rect), tile, transparent);
}

void ForEachTile(const plat::TRect& rect, int x0, int y0, int step_x, int step_y,
                 const std::function<void(int x, int y)>& draw) {
  if (step_x <= 0 || step_y <= 0) return;
  for (int x = x0; x < rect.Right; x += step_x)
    for (int y = y0; y < rect.Bottom; y += step_y) draw(x, y);
}

void TGIFSubImage::StretchDraw(plat::TCanvas& canvas, const plat::TRect& rect, bool tile,
                               bool transparent) {
  if (rect.IsEmpty()) return;
  const bool masked = transparent && IsTransparent() && HasMask();
  const plat::TBitmap* bitmap = RenderBitmap();
  if (!bitmap) return;
  const plat::TBitmap* mask = transparency_mask_.get();
  const auto draw_at = [&](const plat::TRect& target) {
    if (masked && mask)
      MaskedStretchBlit(canvas, target.Left, target.Top, target.Width(), target.Height(), *bitmap,
                        0, 0, width_, height_, *mask, 0, 0);
    else
      canvas.StretchDraw(target, *bitmap);
  };
  if (!tile) return draw_at(rect);
  const TGIFImage* image = OwnerImage();
  ForEachTile(rect, rect.Left + left_, rect.Top + top_, image ? image->GetWidth() : 0,
              image ? image->GetHeight() : 0, [&](int x, int y) {
                draw_at({x, y, x + width_, y + height_});
              });
}

}  // namespace pictavo
