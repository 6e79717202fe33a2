// The frame optimisations: cropping to the opaque pixels and merging with the frame below.
#include <algorithm>

#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_image.h"

namespace pictavo {

void TGIFSubImage::Crop() {
  if (IsEmpty() || !IsTransparent()) return;
  const int t = TransparentIndexOrNone();
  const auto opaque = [&](int x, int y) { return pixels_[size_t(y) * width_ + x] != t; };
  const auto column_has_opaque = [&](int x) {
    for (int y = 0; y < height_; ++y)
      if (opaque(x, y)) return true;
    return false;
  };
  int first_x = 0;
  while (first_x < width_ && !column_has_opaque(first_x)) ++first_x;
  if (first_x == width_) {
    ResetFrame();
    return;
  }
  int last_x = width_ - 1;
  while (last_x > first_x && !column_has_opaque(last_x)) --last_x;
  const auto row_has_opaque = [&](int y) {
    for (int x = first_x; x <= last_x; ++x)
      if (opaque(x, y)) return true;
    return false;
  };
  int first_y = 0;
  while (!row_has_opaque(first_y)) ++first_y;
  int last_y = height_ - 1;
  while (last_y > first_y && !row_has_opaque(last_y)) --last_y;

  const int new_width = last_x - first_x + 1;
  const int new_height = last_y - first_y + 1;
  std::vector<uint8_t> cropped(size_t(new_width) * new_height);
  for (int y = 0; y < new_height; ++y)
    std::copy_n(pixels_.begin() + (size_t(first_y + y) * width_ + first_x), new_width,
                cropped.begin() + size_t(y) * new_width);
  pixel_share_ = plat::TPixelReservation(int64_t{new_width} * new_height);
  pixels_ = std::move(cropped);
  left_ = static_cast<uint16_t>(left_ + first_x);
  top_ = static_cast<uint16_t>(top_ + first_y);
  width_ = static_cast<uint16_t>(new_width);
  height_ = static_cast<uint16_t>(new_height);
  PixelsChanged();
}

namespace {

plat::TRect Intersection(const plat::TRect& a, const plat::TRect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
}

bool ClearsItsArea(const TGIFSubImage& frame) {
  const TGIFGraphicControlExtension* control = frame.ControlExtension();
  return control && (control->DisposalMethod() == 2 || control->DisposalMethod() == 3);
}

}  // namespace

void TGIFSubImage::Merge(TGIFSubImage* previous) {
  if (IsEmpty() || !previous || previous->IsEmpty() || ClearsItsArea(*previous)) return;
  const plat::TRect r = Intersection(BoundsRect(), previous->BoundsRect());
  if (r.IsEmpty()) return;
  const bool was_transparent = IsTransparent();
  if (!was_transparent && !CanHoldTransparency()) return;
  int d = TransparentIndexOrNone();
  bool index_to_make = !was_transparent;
  const int s = previous->TransparentIndexOrNone();
  const bool same_map = &ActiveColorMap() == &previous->ActiveColorMap();
  const plat::TColorTable own_colours = ColourTable256(ActiveColorMap());
  const plat::TColorTable previous_colours = ColourTable256(previous->ActiveColorMap());
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x) {
      uint8_t& p = pixels_[size_t(y - top_) * width_ + (x - left_)];
      const uint8_t q =
          previous->pixels_[size_t(y - previous->top_) * previous->width_ + (x - previous->left_)];
      if (!index_to_make && p == d) continue;
      if (q == s) continue;
      if (!((same_map && p == q) || own_colours[p] == previous_colours[q])) continue;
      if (index_to_make) {
        d = NewTransparentIndex();
        index_to_make = false;
      }
      p = static_cast<uint8_t>(d);
    }
  }
  if (!was_transparent && !index_to_make) {
    TGIFGraphicControlExtension* control = ControlExtension();
    if (!control) {
      auto made = std::make_unique<TGIFGraphicControlExtension>(this);
      control = made.get();
      extensions_.Append(std::move(made));
    }
    control->SetTransparencyFlag(true);
    control->SetTransparentIndex(d);
  }
  PixelsChanged();
}

bool TGIFSubImage::CanHoldTransparency() {
  if (local_map_.EntryCount() > 0) return local_map_.EntryCount() < 256;
  const int global = OwnerImage() ? OwnerImage()->GlobalColorMap().EntryCount() : 0;
  return global >= 1 && global < 256;
}

int TGIFSubImage::NewTransparentIndex() {
  if (local_map_.EntryCount() > 0) return local_map_.AppendColor(0);
  TGIFImage* image = OwnerImage();
  for (int i = 0; i < image->Frames().ItemCount(); ++i) {
    const TGIFSubImage* other = image->Frames().FrameAt(i);
    if (other == this || !other->IsTransparent() || other->local_map_.EntryCount() > 0) continue;
    // Another frame's index serves only while no pixel of this one shows it as a colour.
    const int shared = other->TransparentIndexOrNone();
    if (std::find(pixels_.begin(), pixels_.end(), shared) == pixels_.end()) return shared;
    break;
  }
  return image->GlobalColorMap().AppendColor(0);
}

}  // namespace pictavo
