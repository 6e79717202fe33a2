// The image's frame optimiser: smaller frames and fewer blocks for the same animation.
#include <algorithm>

#include "control/formats/gif/gif_image.h"

namespace pictavo {

namespace {

bool UsesIndex(const TGIFSubImage& frame, int index) {
  const std::vector<uint8_t>& pixels = frame.PixelData();
  return std::find(pixels.begin(), pixels.end(), index) != pixels.end();
}

int DisposalOf(const TGIFSubImage& frame) {
  return frame.ControlExtension() ? frame.ControlExtension()->DisposalMethod() : 0;
}

bool Intersect(const plat::TRect& a, const plat::TRect& b, plat::TRect& both) {
  both = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  return !both.IsEmpty();
}

// Counts the optimiser's steps: six for every frame the image had when it began.
class TOptimizeSteps {
 public:
  TOptimizeSteps(const TGIFProgress& progress, int frames)
      : progress_(progress), total_(frames * 6) {}
  void Step() { progress_.Running(std::min(100, ++done_ * 100 / total_)); }

 private:
  const TGIFProgress& progress_;
  int total_;
  int done_ = 0;
};

void SortColourMaps(TGIFImage& image, TOptimizeSteps& steps) {
  if (image.GlobalColorMap().EntryCount() > 0) image.GlobalColorMap().SortByUsage();
  for (int i = 0; i < image.Frames().ItemCount(); ++i) {
    TGIFSubImage& frame = *image.Frames().FrameAt(i);
    if (frame.LocalMap().EntryCount() > 0) frame.LocalMap().SortByUsage();
    steps.Step();
  }
}

void DropUnusedTransparency(TGIFImage& image, TOptimizeSteps& steps) {
  TGIFImageList& frames = image.Frames();
  for (int i = 0; i < frames.ItemCount(); ++i) {
    TGIFSubImage& frame = *frames.FrameAt(i);
    if (frame.IsTransparent() && frame.ControlExtension() &&
        !UsesIndex(frame, frame.ControlExtension()->TransparentIndex()))
      frame.ControlExtension()->SetTransparencyFlag(false);
  }
  for (int i = 0; i + 1 < frames.ItemCount(); ++i) {
    TGIFSubImage& frame = *frames.FrameAt(i);
    const TGIFSubImage& next = *frames.FrameAt(i + 1);
    steps.Step();
    const int disposal = DisposalOf(frame);
    plat::TRect both;
    if ((disposal != 2 && disposal != 3) || next.IsTransparent() ||
        !Intersect(frame.BoundsRect(), next.BoundsRect(), both))
      continue;
    // Clearing is needless only where the next frame paints over all of this one.
    if (both == frame.BoundsRect()) frame.ControlExtension()->SetDisposalMethod(0);
  }
}

void MergeFrames(TGIFImage& image, TOptimizeSteps& steps) {
  TGIFImageList& frames = image.Frames();
  for (int i = frames.ItemCount() - 1; i >= 1; --i) {
    int below = i - 1;
    while (below > 0 && DisposalOf(*frames.FrameAt(below)) == 3) --below;
    frames.FrameAt(i)->Merge(frames.FrameAt(below));
    steps.Step();
  }
}

void CropFrames(TGIFImage& image, TOptimizeSteps& steps) {
  TGIFImageList& frames = image.Frames();
  for (int i = frames.ItemCount() - 1; i >= 0; --i) {
    TGIFSubImage& frame = *frames.FrameAt(i);
    steps.Step();
    if (frame.IsEmpty() || !frame.IsTransparent()) continue;
    const int delay = frame.ControlExtension() ? frame.ControlExtension()->DelayHundredths() : 0;
    frame.Crop();
    if (!frame.IsEmpty()) continue;
    frames.FreeAt(i);
    if (i == 0) continue;
    TGIFSubImage& earlier = *frames.FrameAt(i - 1);
    if (earlier.IsTransparent() && earlier.ControlExtension())
      earlier.ControlExtension()->SetDelayHundredths(earlier.ControlExtension()->DelayHundredths() +
                                                     delay);
  }
}

// Comments, texts, unknown applications, and the loop count anywhere but on frame 0 of an
// animation.
bool IsNeedless(const TGIFExtension& extension, bool keeps_loop) {
  if (dynamic_cast<const TGIFCommentExtension*>(&extension) ||
      dynamic_cast<const TGIFTextExtension*>(&extension) ||
      dynamic_cast<const TGIFUnknownAppExtension*>(&extension))
    return true;
  return dynamic_cast<const TGIFAppExtNSLoop*>(&extension) && !keeps_loop;
}

// A graphic control that changes nothing about how the frame is shown.
bool ControlIsNeedless(const TGIFGraphicControlExtension& control, int frame_count) {
  const bool single = frame_count == 1;
  return (control.DelayHundredths() == 0 || single) && !control.TransparencyFlag() &&
         !control.WaitsForInput() && (control.DisposalMethod() < 2 || single);
}

void RemoveNeedlessBlocks(TGIFImage& image, TOptimizeSteps& steps) {
  TGIFImageList& frames = image.Frames();
  for (int i = frames.ItemCount() - 1; i >= 0; --i) {
    TGIFSubImage& frame = *frames.FrameAt(i);
    TGIFExtensionList& extensions = frame.Extensions();
    const bool keeps_loop = i == 0 && frames.ItemCount() > 1;
    for (int k = extensions.ItemCount() - 1; k >= 0; --k) {
      const TGIFExtension& extension = *extensions.ItemAt(k);
      const auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(&extension);
      if (control ? ControlIsNeedless(*control, frames.ItemCount())
                  : IsNeedless(extension, keeps_loop))
        extensions.FreeAt(k);
    }
    steps.Step();
    if (frame.IsEmpty() && extensions.ItemCount() == 0) frames.FreeAt(i);
  }
}

}  // namespace

void TGIFImage::OptimizeFrames(uint8_t options, TReductionMethod method, int, TDitherMethod) {
  if (GetEmpty()) return;
  StopAllPainters();
  {
    TGIFProgress progress(*this, "Optimizing...", false);
    TOptimizeSteps steps(progress, frames_.ItemCount());
    if (options & optColourMaps) SortColourMaps(*this, steps);
    if (options & optCleanUp) DropUnusedTransparency(*this, steps);
    if (options & optMergeFrames) MergeFrames(*this, steps);
    if (options & optCropFrames) CropFrames(*this, steps);
    if (options & optCleanUp) RemoveNeedlessBlocks(*this, steps);
    // The frames keep their colours: reducing them is left to whoever builds the frames.
    if (!(options & optCleanUp) && (options & optReduceColours) &&
        method == TReductionMethod::crCustomPalette)
      RaiseGIFError("Invalid reduction method");
  }
  DropRenderedBitmap();
  Changed();
}

}  // namespace pictavo
