#pragma once
// A GIF file in memory: the header with the logical screen and global colour map, and the
// frames with their extensions. Loads and saves GIF streams, turns a bitmap into a one-frame GIF
// and renders frame 0 as a bitmap.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "control/formats/gif/gif_base.h"
#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_lzw.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"

namespace pictavo {

class TGIFImage : public plat::TGraphic {
 public:
  // Receives every warning of the image's items: the sending object, the severity, the text.
  using TWarningHandler =
      std::function<void(const void* sender, int severity, const std::string& message)>;

  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // Encoder used when frames are written.
  uint8_t CompressionMethod = ecLZW;
  TWarningHandler WarningHandler;

  // TGraphic
  void Assign(const plat::TGraphic& source) override;
  void AssignTo(plat::TGraphic& dest) const override;
  bool Equals(const plat::TGraphic& other) const override { return &other == this; }
  bool GetEmpty() const override { return frames_.ItemCount() == 0; }
  int GetWidth() const override { return header_.LogicalScreenWidth; }
  int GetHeight() const override { return header_.LogicalScreenHeight; }
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // A failed load leaves the image reset and the stream where loading began.
  void LoadFromStream(plat::TStream& stream) override;
  void SaveToStream(plat::TStream& stream) const override;
  std::string ClassName() const override { return "TGIFImage"; }

  void Reset();
  TGIFHeader& Header() { return header_; }
  TGIFImageList& Frames() { return frames_; }
  const TGIFImageList& Frames() const { return frames_; }
  TGIFColorMap& GlobalColorMap() { return header_.GlobalMap(); }
  int RequiredVersion() const;
  int MaxColorResolution() const;
  int MaxBitsPerPixel() const;
  plat::TColor ScreenBackground() { return header_.BackgroundColor(); }
  // Merges the frames' colour maps into one global map of the colours actually used.
  void BuildGlobalColorMap();
  bool HasTransparency() const;
  int AddFrame(std::unique_ptr<TGIFSubImage> frame);
  int AddFrame(const plat::TBitmap& bitmap);

  // Frame 0 as one bitmap: a copy of its rendering when it covers the logical screen, else the
  // logical screen with frame 0 at its place. None for an empty image.
  const plat::TBitmap* RenderedBitmap();
  void DropRenderedBitmap() { rendered_bitmap_.reset(); }
  // The colours of the whole image: the global map, or frame 0's without one.
  plat::TColorTable GetPalette();
  // The global colours changed: every rendering made with them is out of date.
  void PaletteChanged();

  virtual void ReportWarning(const void* sender, int severity, const std::string& message);

 private:
  // The logical screen's width or height; no frame may reach beyond it.
  void SetScreenExtent(int value, uint16_t& extent, int (TGIFSubImage::*start)() const,
                       int (TGIFSubImage::*size)() const, const char* too_small);
  void WriteStream(plat::TStream& stream);
  void ReadStream(plat::TStream& stream);
  void Assign(const TGIFImage& source);
  std::unique_ptr<plat::TBitmap> RenderFrameOnScreen(TGIFSubImage& frame);

  TGIFHeader header_;
  TGIFImageList frames_;
  std::unique_ptr<plat::TBitmap> rendered_bitmap_;
  bool palette_busy_ = false;
};

}  // namespace pictavo
