#include "control/formats/gif/gif_image.h"

#include <algorithm>

#include "control/formats/gif/gif_optimizer.h"

namespace pictavo {

TGIFImage::TGIFImage() : header_(this), frames_(this) {
  Reset();
}

TGIFImage::~TGIFImage() {
  // Frames and their maps report to the image while they go: let them go while it still exists.
  frames_.FreeAll();
}

void TGIFImage::Reset() {
  DropRenderedBitmap();
  frames_.FreeAll();
  header_.GlobalMap().ResetColors();
  header_.LogicalScreenWidth = 0;
  header_.LogicalScreenHeight = 0;
  header_.PrepareFlags();
}

void TGIFImage::SetWidth(int width) {
  SetScreenExtent(width, header_.LogicalScreenWidth, &TGIFSubImage::Left, &TGIFSubImage::Width,
                  "Image width too small for contained frames");
}

void TGIFImage::SetHeight(int height) {
  SetScreenExtent(height, header_.LogicalScreenHeight, &TGIFSubImage::Top, &TGIFSubImage::Height,
                  "Image height too small for contained frames");
}

void TGIFImage::SetScreenExtent(int value, uint16_t& extent, int (TGIFSubImage::*start)() const,
                                int (TGIFSubImage::*size)() const, const char* too_small) {
  for (int i = 0; i < frames_.ItemCount(); ++i) {
    const TGIFSubImage* frame = frames_.FrameAt(i);
    if (value < (frame->*start)() + (frame->*size)()) RaiseGIFError(too_small);
  }
  if (value == extent) return;
  extent = static_cast<uint16_t>(value);
  DropRenderedBitmap();
  Changed();
}

void TGIFImage::LoadFromStream(plat::TStream& stream) {
  Reset();
  int64_t start = stream.Position();
  try {
    ReadStream(stream);
  } catch (...) {
    Reset();
    stream.SetPosition(start);
    throw;
  }
  Changed();
}

void TGIFImage::ReadStream(plat::TStream& stream) {
  header_.LoadFromStream(stream);
  frames_.ReadItems(stream, this);
  TGIFTrailer(this).LoadFromStream(stream);
}

void TGIFImage::SaveToStream(plat::TStream& stream) const {
  // Writing recomputes the descriptors' flag bytes from the colour maps, as the format needs.
  const_cast<TGIFImage*>(this)->WriteStream(stream);
}

void TGIFImage::WriteStream(plat::TStream& stream) {
  header_.SaveToStream(stream);
  frames_.WriteItems(stream);
  TGIFTrailer(this).SaveToStream(stream);
}

void TGIFImage::Assign(const plat::TGraphic& source) {
  if (&source == this) return;
  if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) {
    Assign(*gif);
  } else if (const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source)) {
    Reset();
    AddFrame(*bitmap);
  } else {
    Reset();
    plat::TGraphic::Assign(source);
  }
}

void TGIFImage::Assign(const TGIFImage& source) {
  Reset();
  WarningHandler = source.WarningHandler;
  header_.Assign(source.header_);
  for (int i = 0; i < source.frames_.ItemCount(); ++i) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(*source.frames_.FrameAt(i));
    AddFrame(std::move(frame));
  }
  WarningHandler = nullptr;
}

void TGIFImage::AssignTo(plat::TGraphic& dest) const {
  auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest);
  if (!bitmap) return plat::TGraphic::AssignTo(dest);
  // Rendering only fills caches; the image itself does not change.
  const plat::TBitmap* rendered = const_cast<TGIFImage*>(this)->RenderedBitmap();
  *bitmap = rendered ? *rendered : plat::TBitmap();
}

int TGIFImage::RequiredVersion() const {
  int version = verNone;
  for (int i = 0; i < frames_.ItemCount() && version < ver89a; ++i)
    version = std::max(version, frames_.FrameAt(i)->NeededVersion());
  return version;
}

int TGIFImage::MaxColorResolution() const {
  int resolution = std::max(0, header_.ResolutionField());
  for (int i = 0; i < frames_.ItemCount(); ++i)
    resolution = std::max(resolution, frames_.FrameAt(i)->ResolutionField());
  return resolution;
}

int TGIFImage::MaxBitsPerPixel() const {
  int bits = header_.IndexBits();
  for (int i = 0; i < frames_.ItemCount(); ++i)
    bits = std::max(bits, frames_.FrameAt(i)->IndexBits());
  return bits;
}

void TGIFImage::BuildGlobalColorMap() {
  TColorMapOptimizer(*this).MergeMaps();
}

bool TGIFImage::HasTransparency() const {
  for (int i = 0; i < frames_.ItemCount(); ++i) {
    TGIFExtensionList& extensions = frames_.FrameAt(i)->Extensions();
    for (int k = 0; k < extensions.ItemCount(); ++k) {
      auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(extensions.ItemAt(k));
      if (control && control->TransparencyFlag()) return true;
    }
  }
  return false;
}

int TGIFImage::AddFrame(std::unique_ptr<TGIFSubImage> frame) {
  int index = frames_.Append(std::move(frame));
  DropRenderedBitmap();
  Changed();
  return index;
}

int TGIFImage::AddFrame(const plat::TBitmap& bitmap) {
  auto frame = std::make_unique<TGIFSubImage>(this);
  frame->Assign(bitmap);
  return AddFrame(std::move(frame));
}

const plat::TBitmap* TGIFImage::RenderedBitmap() {
  if (GetEmpty()) return nullptr;
  if (rendered_bitmap_) return rendered_bitmap_.get();
  TGIFSubImage& frame = *frames_.FrameAt(0);
  const plat::TBitmap* own = nullptr;
  if (frame.Width() == GetWidth() && frame.Height() == GetHeight()) own = frame.RenderBitmap();
  rendered_bitmap_ = own ? std::make_unique<plat::TBitmap>(*own) : RenderFrameOnScreen(frame);
  return rendered_bitmap_.get();
}

std::unique_ptr<plat::TBitmap> TGIFImage::RenderFrameOnScreen(TGIFSubImage& frame) {
  int64_t area = int64_t{GetWidth()} * GetHeight();
  if (area > std::max(kGIFPixelsWithoutData, int64_t{frame.Width()} * frame.Height()))
    RaiseGIFError("Invalid image dimensions");
  auto screen =
      std::make_unique<plat::TBitmap>(GetWidth(), GetHeight(), plat::TPixelFormat::pf24bit);
  const plat::TBitmap* pixels = frame.RenderBitmap();
  if (!pixels) return screen;
  const plat::TColorTable& palette = pixels->Palette();
  int right = std::min(GetWidth(), frame.Left() + frame.Width());
  int bottom = std::min(GetHeight(), frame.Top() + frame.Height());
  for (int y = frame.Top(); y < bottom; ++y) {
    const uint8_t* in = pixels->ScanLine(y - frame.Top());
    uint8_t* out = screen->ScanLine(y);
    for (int x = frame.Left(); x < right; ++x) {
      const plat::TRGBQuad& colour = palette[in[x - frame.Left()]];
      out[x * 3] = colour.rgbBlue;
      out[x * 3 + 1] = colour.rgbGreen;
      out[x * 3 + 2] = colour.rgbRed;
    }
  }
  return screen;
}

plat::TColorTable TGIFImage::GetPalette() {
  // Frame 0 without colours of its own asks the image again: there are none anywhere.
  if (palette_busy_) RaiseGIFError("No global or local color table defined");
  if (GlobalColorMap().EntryCount() > 0) return GlobalColorMap().MakePalette();
  if (GetEmpty()) return {};
  palette_busy_ = true;
  try {
    plat::TColorTable palette = frames_.FrameAt(0)->PaletteHandle();
    palette_busy_ = false;
    return palette;
  } catch (...) {
    palette_busy_ = false;
    throw;
  }
}

void TGIFImage::PaletteChanged() {
  DropRenderedBitmap();
  for (int i = 0; i < frames_.ItemCount(); ++i)
    if (frames_.FrameAt(i)->LocalMap().EntryCount() == 0) frames_.FrameAt(i)->DropBitmap();
}

void TGIFImage::ReportWarning(const void* sender, int severity, const std::string& message) {
  if (WarningHandler) WarningHandler(sender, severity, message);
}

}  // namespace pictavo
