#pragma once
// A GIF file in memory: the header with the logical screen and global colour map, and the
// frames with their extensions. Loads and saves GIF streams, turns a bitmap into a one-frame GIF,
// renders frame 0 as a bitmap, draws itself and trades places with the clipboard.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "control/formats/gif/gif_base.h"
#include "control/formats/gif/gif_dither.h"
#include "control/formats/gif/gif_frame.h"
#include "control/formats/gif/gif_lzw.h"
#include "control/formats/gif/gif_painter.h"
#include "control/formats/gif/gif_reduce.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"

namespace pictavo {

// Bits of TGIFImage::PaintFlags.
enum TGIFPaintFlag : uint16_t {
  paThreaded = 1 << 0,
  paTransparent = 1 << 1,
  paAnimate = 1 << 2,
  paLoop = 1 << 3,
  paLoopForever = 1 << 4,
  paCheckCanvas = 1 << 5,
  paDirect = 1 << 6,
  paClearOnLoop = 1 << 7,
  paTile = 1 << 8,
  paDither = 1 << 9,
  paDitherLowColour = 1 << 10,
};

// Bits of the options of OptimizeFrames.
enum TGIFOptimizeOption : uint8_t {
  optCropFrames = 1 << 0,
  optMergeFrames = 1 << 1,
  optCleanUp = 1 << 2,
  optColourMaps = 1 << 3,
  optReduceColours = 1 << 4,
};
constexpr uint8_t kAllOptimizeOptions = 0x1F;

constexpr uint16_t DefaultPaintFlags = 0x060F;
constexpr TReductionMethod DefaultReductionMethod = TReductionMethod::crWebSafe216;
constexpr int DefaultReductionDepth = 8;
constexpr TDitherMethod DefaultDitherMethod = TDitherMethod::dtNearestColour;
constexpr uint8_t DefaultCompressionMethod = ecLZW;
constexpr int DefaultPainterPriority = 3;
constexpr int DefaultAnimationPace = 100;
// The colour value that means "no colour".
constexpr plat::TColor kNoColor = 0x1FFFFFFF;

// The screen shows 256 colours or fewer; set when the library loads, tests may change it.
extern bool LowColourDisplay;
// Form persistence optimises the frames before writing them.
extern bool OptimizeWhenStreamed;

// The clipboard format "GIF Image".
uint16_t GIFClipboardFormat();

class TGIFImage;

// Reports one piece of long work through a graphic's progress event: starting at 0 % when made,
// running as told, and ending when it goes, at 100 %, or at 0 % when an exception is passing.
class TGIFProgress {
 public:
  TGIFProgress(const plat::TGraphic& graphic, std::string message, bool redraw_at_end);
  ~TGIFProgress();
  TGIFProgress(const TGIFProgress&) = delete;
  TGIFProgress& operator=(const TGIFProgress&) = delete;

  void Running(int percent, bool redraw = false) const;
  void SetRedrawAtEnd(bool redraw) { redraw_at_end_ = redraw; }

 private:
  const plat::TGraphic& graphic_;
  std::string message_;
  bool redraw_at_end_;
  int exceptions_at_start_;
};

class TGIFImage : public plat::TGraphic {
 public:
  // Receives every warning of the image's items: the sending object, the severity, the text.
  using TWarningHandler =
      std::function<void(const void* sender, int severity, const std::string& message)>;
  using TNotifyEvent = std::function<void(TGIFImage& sender)>;

  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // How the image draws and animates (TGIFPaintFlag bits).
  uint16_t PaintFlags = DefaultPaintFlags;
  // How a bitmap of more than 8 bits a pixel becomes a frame.
  TReductionMethod ReductionMethod = DefaultReductionMethod;
  int ReductionDepth = DefaultReductionDepth;
  TDitherMethod DitherMethod = DefaultDitherMethod;
  // Encoder used when frames are written.
  uint8_t CompressionMethod = DefaultCompressionMethod;
  int PainterPriority = DefaultPainterPriority;
  // Animation speed in percent of the stored delays.
  int AnimationPace = DefaultAnimationPace;
  // Background of an animation; kNoColor means the header's background colour.
  plat::TColor PaintBackground = kNoColor;
  TWarningHandler WarningHandler;
  // Animation events, handed to every painter.
  TPainterEvent OnRunBegin, OnLoopBegin, OnFrameBegin, OnFrameDone, OnRunEnd;
  // The change notification: the image changed, or an animation showed a new picture.
  TNotifyEvent OnChange;
  // The time source of new painters.
  std::shared_ptr<TPainterClock> PainterClock = SteadyPainterClock();

  // TGraphic
  void Assign(const plat::TGraphic& source) override;
  void AssignTo(plat::TGraphic& dest) const override;
  // Draws frame 0 (tiled and transparent as PaintFlags say), or the rendered picture of an
  // animation once there is one.
  void Draw(plat::TCanvas& canvas, const plat::TRect& rect) const override;
  bool Equals(const plat::TGraphic& other) const override { return &other == this; }
  bool GetEmpty() const override { return frames_.ItemCount() == 0; }
  int GetWidth() const override { return header_.LogicalScreenWidth; }
  int GetHeight() const override { return header_.LogicalScreenHeight; }
  // The colours of the whole image. Raises when asked again while it is being worked out.
  plat::TColorTable GetPalette() const override;
  // An empty table means none.
  void SetPalette(const plat::TColorTable& palette) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // A failed load leaves the image reset and the stream where loading began.
  void LoadFromStream(plat::TStream& stream) override;
  void SaveToStream(plat::TStream& stream) const override;
  void WriteData(plat::TStream& stream) const override;
  void LoadFromClipboardFormat(uint16_t format, plat::THandle data, plat::THandle palette) override;
  // Hands out the rendered bitmap's clipboard form and puts the GIF itself on the clipboard.
  void SaveToClipboardFormat(uint16_t& format, plat::THandle& data,
                             plat::THandle& palette) const override;
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
  bool ShouldDither() const;
  bool DrawBusy() const { return draw_busy_; }
  const std::optional<plat::TColorTable>& GlobalPaletteHandle() const { return global_palette_; }

  int AddFrame(std::unique_ptr<TGIFSubImage> frame);
  // Any other item raises "Object type not supported for operation".
  int AddFrame(std::unique_ptr<TGIFItem> item);
  // The graphic becomes a new frame (colours reduced as the image's settings say).
  int AddFrame(const plat::TGraphic& graphic);

  // Fewer frames, smaller frames, fewer extensions, the same animation (TGIFOptimizeOption bits).
  void OptimizeFrames(uint8_t options, TReductionMethod method, int depth, TDitherMethod dither);

  // Frame 0 as one bitmap: a copy of its rendering when it covers the logical screen, else the
  // logical screen with frame 0 at its place. None for an empty image.
  const plat::TBitmap* RenderedBitmap();
  // Stops the painter animating into the rendered bitmap first.
  void DropRenderedBitmap();
  void Changed() override;

  // A painter for the canvas (none for an empty image or rectangle). A threaded one is handed
  // back not yet running; any other runs to its end at once, and none is handed back.
  TGIFPainter* CreatePainter(TGIFPainter** reference, plat::TCanvas& canvas, uint16_t flags,
                             const plat::TRect& rect);
  // The painter Draw started, or none.
  TGIFPainter* ActivePainter();
  // These wait until the painters have ended, serving their calls to this thread, and raise
  // what a painter's run failed with.
  void StopActivePainter();
  void StopAllPainters();
  // The painters alive for this image, guarded by PainterLock.
  std::recursive_mutex& PainterLock() { return painter_lock_; }
  std::vector<TGIFPainter*>& PainterList() { return painter_list_; }
  // Threaded painters not yet freed.
  const std::shared_ptr<std::atomic<int>>& LivePainters() const { return live_painters_; }
  // A painter's run failed: raised by the next wait, or reported as a warning.
  void KeepPainterFailure(std::exception_ptr failure);
  // A painter showed a frame on canvas.
  void PainterShowed(plat::TCanvas& canvas);
  // The global colours changed: every rendering made with them is out of date.
  void PaletteChanged();

  virtual void ReportWarning(const void* sender, int severity, const std::string& message);

  // Frames reaching past the logical screen hold pixels that are never shown; their data need
  // not fill those. Together, the frames of one file may take this many pixels beyond what their
  // data can fill. False, taking nothing, when the pixels would go beyond that.
  bool TakePixelsOffScreen(int64_t pixels);

 private:
  // The logical screen's width or height; no frame may reach beyond it.
  void SetScreenExtent(int value, uint16_t& extent, int (TGIFSubImage::*start)() const,
                       int (TGIFSubImage::*size)() const, const char* too_small);
  void WriteStream(plat::TStream& stream);
  void ReadStream(plat::TStream& stream);
  void Assign(const TGIFImage& source);
  void CopyFrom(const TGIFImage& source);
  plat::TColorTable ImagePalette();
  plat::TColorTable FirstAvailablePalette();
  void DrawImage(plat::TCanvas& canvas, const plat::TRect& rect);
  void LayOutRenderedBitmap(plat::TCanvas& canvas, const plat::TRect& rect);
  void DrawAnimation(plat::TCanvas& canvas, const plat::TRect& rect);
  plat::TCanvas& PrepareRenderedBitmap(plat::TCanvas& canvas, const plat::TRect& rect);
  void WaitForFirstFrame();
  void StopPainters(bool may_raise);
  void JoinEndedPainters();
  void RaisePainterFailure();
  void ReportPainterFailure();
  std::unique_ptr<plat::TBitmap> RenderFrameOnScreen(TGIFSubImage& frame);
  void StoreOnClipboard() const;

  TGIFHeader header_;
  TGIFImageList frames_;
  std::unique_ptr<plat::TBitmap> rendered_bitmap_;
  std::optional<plat::TColorTable> global_palette_;
  bool palette_busy_ = false;
  bool draw_busy_ = false;
  int64_t pixels_off_screen_ = 0;
  std::recursive_mutex painter_lock_;
  std::vector<TGIFPainter*> painter_list_;
  TGIFPainter* active_painter_ = nullptr;
  // Where Draw asked the active painter to show the animation.
  plat::TCanvas* active_canvas_ = nullptr;
  plat::TRect active_rect_;
  std::shared_ptr<std::atomic<int>> live_painters_ = std::make_shared<std::atomic<int>>(0);
  std::exception_ptr painter_failure_;
};

}  // namespace pictavo
