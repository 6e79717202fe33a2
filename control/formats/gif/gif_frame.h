#pragma once
// One frame of a GIF stream (image descriptor, local colour table, one byte per pixel, the
// extensions in front of it) and the image's list of frames.
#include <cstdint>
#include <memory>
#include <vector>

#include "control/formats/gif/gif_base.h"
#include "control/formats/gif/gif_extensions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFImage* owner);
  ~TGIFSubImage() override;

  // The image descriptor as in the file; change the bounds through SetBounds.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint8_t PackedFields() const { return packed_fields_; }
  void SetInterlaced(bool value);

  void ResetFrame();
  bool IsEmpty() const;
  void NewPixels();
  void FreePixels();
  void EnsurePixels();
  // 1 Left, 2 Top, 3 Width, 4 Height.
  int BoundsValue(int index) const;
  void SetBoundsValue(int index, int value);
  void SetBounds(int left, int top, int width, int height);
  uint8_t* RowPointer(int y);
  uint8_t PixelIndex(int x, int y);
  const std::vector<uint8_t>& PixelData() const { return pixels_; }
  // For rewriting pixels in place; the rendering is dropped.
  std::vector<uint8_t>& MutablePixelData() {
    DropBitmap();
    return pixels_;
  }
  // Rewrites every pixel, and the transparent indices, through the table.
  void RemapPixels(const TRemapTable& map);

  TGIFLocalColorMap& LocalMap() { return local_map_; }
  TGIFColorMap& ActiveColorMap();
  bool Interlaced() const { return packed_fields_ & 0x40; }
  int NeededVersion() const override;
  int IndexBits() const { return local_map_.IndexBits(); }
  int ResolutionField() const { return IndexBits() - 1; }

  // The colours the frame is shown with.
  plat::TColorTable PaletteHandle();
  // The colours changed: the rendered bitmap no longer matches.
  void PaletteChanged();

  // The frame's pixels as an 8-bit bitmap, built on demand; none for an empty frame.
  const plat::TBitmap* RenderBitmap();
  bool HasBitmap() const { return frame_bitmap_ != nullptr; }
  void SetHasBitmap(bool value);
  void DropBitmap() { frame_bitmap_.reset(); }

  TGIFExtensionList& Extensions() { return extensions_; }
  bool IsTransparent() const { return is_transparent_; }
  void SetIsTransparent(bool value) { is_transparent_ = value; }
  TGIFGraphicControlExtension* ControlExtension() const { return control_extension_; }
  void SetControlExtension(TGIFGraphicControlExtension* extension) {
    control_extension_ = extension;
  }

  void SaveToStream(plat::TStream& stream) override;
  void LoadFromStream(plat::TStream& stream) override;
  void DecodePixelData(plat::TStream& stream);
  void EncodePixelData(plat::TStream& stream);

  void Assign(const TGIFSubImage& source);
  void Assign(const plat::TBitmap& source);

 private:
  void PrepareFlags();
  void CheckFrameSize(plat::TStream& stream) const;
  void ImportPixels(plat::TBitmap& bitmap);
  void Import24BitPixels(const plat::TBitmap& bitmap);

  uint16_t left_ = 0;
  uint16_t top_ = 0;
  uint16_t width_ = 0;
  uint16_t height_ = 0;
  uint8_t packed_fields_ = 0;
  plat::TPixelReservation pixel_share_;  // every frame of a file counts against the budget
  std::vector<uint8_t> pixels_;
  TGIFLocalColorMap local_map_;
  TGIFExtensionList extensions_;
  bool is_transparent_ = false;
  TGIFGraphicControlExtension* control_extension_ = nullptr;
  std::unique_ptr<plat::TBitmap> frame_bitmap_;
};

class TGIFImageList : public TGIFList<TGIFSubImage> {
 public:
  using TGIFList::TGIFList;
  TGIFSubImage* FrameAt(int index) const { return ItemAt(index); }
  void ReadItems(plat::TStream& stream, TGIFImage* image);
};

}  // namespace pictavo
