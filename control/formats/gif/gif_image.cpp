#include "control/formats/gif/gif_image.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "control/formats/gif/gif_optimizer.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/clipboard.h"
#include "platform/graphics/display.h"
#include "platform/graphics/graphic_registry.h"

namespace pictavo {

bool LowColourDisplay = plat::ScreenBitsPerPixel() <= 8;
bool OptimizeWhenStreamed = false;

uint16_t GIFClipboardFormat() {
  static const uint16_t format = plat::RegisterClipboardFormat("GIF Image");
  return format;
}

namespace {

// The unit makes its class known by extension and clipboard format while the library is loaded.
struct TGIFRegistration {
  TGIFRegistration() {
    const auto create = [] { return std::make_unique<TGIFImage>(); };
    plat::RegisterFileFormat("GIF", "GIF Image", "TGIFImage", create);
    plat::RegisterClipboardClass(GIFClipboardFormat(), "TGIFImage", create);
  }
  ~TGIFRegistration() { plat::UnregisterGraphicClass("TGIFImage"); }
} registration;

}  // namespace

TGIFProgress::TGIFProgress(const plat::TGraphic& graphic, std::string message, bool redraw_at_end)
    : graphic_(graphic),
      message_(std::move(message)),
      redraw_at_end_(redraw_at_end),
      exceptions_at_start_(std::uncaught_exceptions()) {
  graphic_.Progress(plat::TProgressStage::psStarting, 0, false, {}, message_);
}

TGIFProgress::~TGIFProgress() {
  const bool failed = std::uncaught_exceptions() > exceptions_at_start_;
  graphic_.Progress(plat::TProgressStage::psEnding, failed ? 0 : 100, redraw_at_end_, {}, message_);
}

void TGIFProgress::Running(int percent, bool redraw) const {
  graphic_.Progress(plat::TProgressStage::psRunning, percent, redraw, {}, message_);
}

TGIFImage::TGIFImage() : header_(this), frames_(this) {
  Reset();
}

TGIFImage::~TGIFImage() {
  StopPainters(false);
  ReportPainterFailure();
  // Frames and their maps report to the image while they go: let them go while it still exists.
  frames_.FreeAll();
}

void TGIFImage::Reset() {
  StopAllPainters();
  frames_.FreeAll();
  header_.GlobalMap().ResetColors();
  header_.LogicalScreenWidth = 0;
  header_.LogicalScreenHeight = 0;
  header_.PrepareFlags();
  SetPalette({});
  pixels_off_screen_ = 0;
}

bool TGIFImage::TakePixelsOffScreen(int64_t pixels) {
  if (pixels > kGIFPixelsWithoutData - pixels_off_screen_) return false;
  pixels_off_screen_ += pixels;
  return true;
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
  {
    TGIFProgress progress(*this, "Loading...", true);
    Reset();
    int64_t start = stream.Position();
    try {
      ReadStream(stream);
    } catch (...) {
      Reset();
      stream.SetPosition(start);
      throw;
    }
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
  TGIFProgress progress(*this, "Saving...", true);
  header_.SaveToStream(stream);
  frames_.WriteItems(stream);
  TGIFTrailer(this).SaveToStream(stream);
}

void TGIFImage::WriteData(plat::TStream& stream) const {
  if (OptimizeWhenStreamed)
    const_cast<TGIFImage*>(this)->OptimizeFrames(kAllOptimizeOptions, TReductionMethod::crNone, 8,
                                                 TDitherMethod::dtNearestColour);
  plat::TGraphic::WriteData(stream);
}

void TGIFImage::Assign(const plat::TGraphic& source) {
  if (&source == this) return;
  if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) return Assign(*gif);
  Reset();
  try {
    AddFrame(source);
  } catch (const plat::EConvertError&) {
    plat::TGraphic::Assign(source);
  }
}

void TGIFImage::Assign(const TGIFImage& source) {
  Reset();
  // The copy speaks through the source's handlers while it runs, and keeps none afterwards.
  WarningHandler = source.WarningHandler;
  OnProgress = source.OnProgress;
  try {
    CopyFrom(source);
  } catch (...) {
    WarningHandler = nullptr;
    OnProgress = nullptr;
    throw;
  }
  WarningHandler = nullptr;
  OnProgress = nullptr;
}

void TGIFImage::CopyFrom(const TGIFImage& source) {
  TGIFProgress progress(*this, "Copying...", false);
  header_.Assign(source.header_);
  // Depth, compression and pace belong to the destination and stay.
  PainterPriority = source.PainterPriority;
  PaintBackground = source.PaintBackground;
  PaintFlags = source.PaintFlags;
  ReductionMethod = source.ReductionMethod;
  DitherMethod = source.DitherMethod;
  const int count = source.frames_.ItemCount();
  for (int i = 0; i < count; ++i) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(*source.frames_.FrameAt(i));
    AddFrame(std::move(frame));
    progress.Running((i + 1) * 100 / count);
  }
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
  StopAllPainters();
  int index = frames_.Append(std::move(frame));
  Changed();
  return index;
}

int TGIFImage::AddFrame(std::unique_ptr<TGIFItem> item) {
  auto* frame = dynamic_cast<TGIFSubImage*>(item.get());
  if (!frame) RaiseGIFError("Object type not supported for operation");
  item.release();
  return AddFrame(std::unique_ptr<TGIFSubImage>(frame));
}

int TGIFImage::AddFrame(const plat::TGraphic& graphic) {
  auto frame = std::make_unique<TGIFSubImage>(this);
  frame->Assign(graphic);
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
  frame.Draw(screen->Canvas(), {0, 0, GetWidth(), GetHeight()}, false, false);
  return screen;
}

plat::TColorTable TGIFImage::GetPalette() const {
  // Palettes are worked out once and kept: asking fills caches, the image stays as it is.
  return const_cast<TGIFImage*>(this)->ImagePalette();
}

plat::TColorTable TGIFImage::ImagePalette() {
  // Frame 0 without colours of its own asks the image again: there are none anywhere.
  if (palette_busy_) RaiseGIFError("No global or local color table defined");
  palette_busy_ = true;
  try {
    plat::TColorTable palette = FirstAvailablePalette();
    palette_busy_ = false;
    return palette;
  } catch (...) {
    palette_busy_ = false;
    throw;
  }
}

plat::TColorTable TGIFImage::FirstAvailablePalette() {
  if (rendered_bitmap_ && !rendered_bitmap_->Palette().empty()) return rendered_bitmap_->Palette();
  if (global_palette_) return *global_palette_;
  if (ShouldDither()) return *(global_palette_ = WebSafePalette());
  if (GlobalColorMap().EntryCount() == 0)
    return GetEmpty() ? plat::TColorTable() : frames_.FrameAt(0)->PaletteHandle();
  return *(global_palette_ = GlobalColorMap().MakePalette());
}

void TGIFImage::SetPalette(const plat::TColorTable& palette) {
  const std::optional<plat::TColorTable> wanted =
      palette.empty() ? std::nullopt : std::optional(palette);
  if (wanted == global_palette_) return;
  global_palette_ = wanted;
  if (!rendered_bitmap_ || rendered_bitmap_->Palette() == palette) return;
  DropRenderedBitmap();
  PaletteModified = true;
  Changed();
}

bool TGIFImage::ShouldDither() const {
  return (PaintFlags & paDither) && (!(PaintFlags & paDitherLowColour) || LowColourDisplay);
}

void TGIFImage::Draw(plat::TCanvas& canvas, const plat::TRect& rect) const {
  // Drawing fills the frames' and the image's caches; the image itself does not change.
  const_cast<TGIFImage*>(this)->DrawImage(canvas, rect);
}

void TGIFImage::DrawImage(plat::TCanvas& canvas, const plat::TRect& rect) {
  if (draw_busy_ || GetEmpty()) return;
  draw_busy_ = true;
  struct Release {
    bool& flag;
    ~Release() { flag = false; }
  } release{draw_busy_};
  if (frames_.ItemCount() == 1 || !(PaintFlags & paAnimate)) {
    frames_.FrameAt(0)->Draw(canvas, rect, PaintFlags & paTile, PaintFlags & paTransparent);
    return;
  }
  // An animation is drawn by its painters, which leave their picture in the rendered bitmap.
  if (rendered_bitmap_ && !(PaintFlags & paDirect)) return LayOutRenderedBitmap(canvas, rect);
  DrawAnimation(canvas, rect);
}

void TGIFImage::LayOutRenderedBitmap(plat::TCanvas& canvas, const plat::TRect& rect) {
  if (!(PaintFlags & paTile)) return canvas.StretchDraw(rect, *rendered_bitmap_);
  ForEachTile(rect, rect.Left, rect.Top, GetWidth(), GetHeight(),
              [&](int x, int y) { canvas.Draw(x, y, *rendered_bitmap_); });
}

void TGIFImage::LoadFromClipboardFormat(uint16_t format, plat::THandle data,
                                        plat::THandle palette) {
  const bool fetched = data == 0;
  if (fetched) data = plat::GetClipboardData(format);
  struct Release {
    bool owned;
    plat::THandle handle;
    ~Release() {
      if (owned && !plat::FreeMemoryHandle(handle)) plat::DeleteBitmapHandle(handle);
    }
  } release{fetched, data};
  if (format == GIFClipboardFormat()) {
    std::shared_ptr<plat::TMemoryBlock> block = plat::MemoryOfHandle(data);
    plat::TMemoryStream stream(block ? *block : plat::TMemoryBlock());
    LoadFromStream(stream);
  } else if (format == plat::CF_BITMAP) {
    plat::TBitmap bitmap;
    bitmap.LoadFromClipboardFormat(format, data, palette);
    Assign(bitmap);
  } else {
    RaiseGIFError("Unsupported clipboard format");
  }
}

void TGIFImage::SaveToClipboardFormat(uint16_t& format, plat::THandle& data,
                                      plat::THandle& palette) const {
  if (GetEmpty()) return;
  const plat::TBitmap* rendered = const_cast<TGIFImage*>(this)->RenderedBitmap();
  rendered->SaveToClipboardFormat(format, data, palette);
  StoreOnClipboard();
}

void TGIFImage::StoreOnClipboard() const {
  plat::TMemoryStream stream;
  SaveToStream(stream);
  const plat::THandle block = plat::NewMemoryHandle(stream.Size());
  std::memcpy(plat::MemoryOfHandle(block)->data(), stream.Memory(), size_t(stream.Size()));
  if (plat::SetClipboardData(GIFClipboardFormat(), block)) return;
  plat::FreeMemoryHandle(block);
  RaiseGIFError("Failed to store GIF on clipboard");
}

void TGIFImage::PaletteChanged() {
  global_palette_.reset();
  DropRenderedBitmap();
  for (int i = 0; i < frames_.ItemCount(); ++i)
    if (frames_.FrameAt(i)->LocalMap().EntryCount() == 0) frames_.FrameAt(i)->DropBitmap();
}

void TGIFImage::ReportWarning(const void* sender, int severity, const std::string& message) {
  if (WarningHandler) WarningHandler(sender, severity, message);
}

}  // namespace pictavo
