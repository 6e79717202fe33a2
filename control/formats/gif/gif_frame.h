#pragma once
// One frame of a GIF stream (image descriptor, local colour table, one byte per pixel, the
// extensions in front of it) and the image's list of frames.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "control/formats/gif/gif_base.h"
#include "control/formats/gif/gif_extensions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

// Draws the source rectangle stretched (nearest pixel) into the destination rectangle, leaving
// the destination as it is wherever the mask, read from (maskX, maskY) at the source's scale,
// holds a 1 (white) bit.
void MaskedStretchBlit(plat::TCanvas& dest, int x, int y, int width, int height,
                       const plat::TBitmap& source, int sourceX, int sourceY, int sourceWidth,
                       int sourceHeight, const plat::TBitmap& mask, int maskX, int maskY);

// The 256 colours an index can show through map: its entries, black beyond them.
plat::TColorTable ColourTable256(const TGIFColorMap& map);

// Calls draw for the corner of every tile from (x0, y0) on, in steps, that starts inside rect:
// column by column, top to bottom. Nothing for steps that are not positive.
void ForEachTile(const plat::TRect& rect, int x0, int y0, int step_x, int step_y,
                 const std::function<void(int x, int y)>& draw);

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

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
    PixelsChanged();
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

  plat::TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }

  // The colours the frame is shown with.
  plat::TColorTable PaletteHandle();
  void SetPaletteHandle(const plat::TColorTable& palette);
  // The colours changed: the rendered bitmap no longer matches.
  void PaletteChanged();

  // The frame's pixels as an 8-bit bitmap, built on demand (dithered to the 216 web-safe colours
  // when the image asks for it); none for an empty frame.
  const plat::TBitmap* RenderBitmap();
  bool HasBitmap() const { return frame_bitmap_ != nullptr; }
  void SetHasBitmap(bool value);
  void DropBitmap() { frame_bitmap_.reset(); }

  // A 1-bit bitmap of the frame's size whose 1 bits mark the pixels of the transparent index;
  // none until rendered, and none when no pixel holds that index.
  const plat::TBitmap* TransparencyMask() const { return transparency_mask_.get(); }
  bool MaskPending() const { return mask_pending_; }
  // Renders when a mask is still to be made; whether there is one.
  bool HasMask();
  void DropMask();
  // Every pixel marked (non-black) in mask takes a new black entry that becomes the frame's
  // transparent colour.
  void AddMask(const plat::TBitmap& mask);

  // Draws the frame at its place in rect, rect standing for the logical screen (or, tiled,
  // repeated at logical screen steps from rect's corner).
  void Draw(plat::TCanvas& canvas, const plat::TRect& rect, bool tile, bool transparent);
  // The frame's bounds scaled from the logical screen into rect; empty for an empty screen.
  plat::TRect MapToTarget(const plat::TRect& rect) const;
  void StretchDraw(plat::TCanvas& canvas, const plat::TRect& rect, bool tile, bool transparent);

  // Cuts the frame down to the smallest rectangle holding an opaque pixel.
  void Crop();
  // Pixels that show the same colour as the frame drawn before become transparent.
  void Merge(TGIFSubImage* previous);
  bool CanHoldTransparency();
  int NewTransparentIndex();

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
  // Other graphics come in through a 24-bit bitmap.
  void Assign(const plat::TGraphic& source);

 private:
  std::unique_ptr<plat::TBitmap> BuildPlainBitmap();
  std::unique_ptr<plat::TBitmap> BuildDitheredBitmap();
  void ImportBitmap(plat::TBitmap& bitmap);
  void PixelsChanged();
  int TransparentIndexOrNone() const;
  // The running progress of work on rows, at every 32nd row.
  void ReportRowProgress(int row, const char* message) const;
  void PrepareFlags();
  void CheckFrameSize(plat::TStream& stream) const;
  // The frame's pixels that lie on its image's logical screen.
  int64_t PixelsOnScreen() const;
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
  std::unique_ptr<plat::TBitmap> transparency_mask_;
  bool mask_pending_ = true;
  std::optional<plat::TColorTable> cached_palette_;
};

class TGIFImageList : public TGIFList<TGIFSubImage> {
 public:
  using TGIFList::TGIFList;
  TGIFSubImage* FrameAt(int index) const { return ItemAt(index); }
  void ReadItems(plat::TStream& stream, TGIFImage* image);
  // Each frame in order, with the saving progress after each.
  void WriteItems(plat::TStream& stream) const;
};

}  // namespace pictavo
