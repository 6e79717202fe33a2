#include "gif_frame_builder.h"

#include <algorithm>

namespace pictavo::test {

std::unique_ptr<TGIFImage> BuildImage(int width, int height,
                                      const std::vector<plat::TColor>& colours,
                                      const std::vector<FrameSpec>& frames) {
  auto image = std::make_unique<TGIFImage>();
  image->Header().LogicalScreenWidth = static_cast<uint16_t>(width);
  image->Header().LogicalScreenHeight = static_cast<uint16_t>(height);
  for (plat::TColor colour : colours) image->GlobalColorMap().AppendColor(colour);
  for (const FrameSpec& spec : frames) {
    auto frame = std::make_unique<TGIFSubImage>(image.get());
    frame->SetBounds(spec.left, spec.top, spec.width, spec.height);
    std::copy(spec.pixels.begin(), spec.pixels.end(), frame->MutablePixelData().begin());
    if (spec.transparent >= 0 || spec.disposal || spec.delay || spec.control) {
      auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
      if (spec.transparent >= 0) {
        control->SetTransparencyFlag(true);
        control->SetTransparentIndex(spec.transparent);
      }
      control->SetDisposalMethod(spec.disposal);
      control->SetDelayHundredths(spec.delay);
      frame->Extensions().Append(std::move(control));
    }
    image->AddFrame(std::move(frame));
  }
  return image;
}

plat::TBitmap FilledBitmap(int width, int height, plat::TColor colour) {
  plat::TBitmap bitmap(width, height, plat::TPixelFormat::pf24bit);
  bitmap.FillRect({0, 0, width, height}, colour);
  return bitmap;
}

}  // namespace pictavo::test
