#pragma once
// Images made frame by frame from index pixels, for the tests of rendering, drawing and the
// frame optimiser.
#include <memory>
#include <vector>

#include "control/formats/gif/gif_image.h"

namespace pictavo::test {

// The colours the frame tests paint with.
inline constexpr plat::TColor kRed = plat::RGB(255, 0, 0);
inline constexpr plat::TColor kGreen = plat::RGB(0, 255, 0);
inline constexpr plat::TColor kBlue = plat::RGB(0, 0, 255);
inline constexpr plat::TColor kWhite = plat::RGB(255, 255, 255);

struct FrameSpec {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  int transparent = -1;  // the transparent index, -1 for none
  int disposal = 0;
  int delay = 0;
  bool control = false;  // a graphic control extension even without transparency
};

// An image of a logical screen with a global colour map, holding the frames in order.
std::unique_ptr<TGIFImage> BuildImage(int width, int height,
                                      const std::vector<plat::TColor>& colours,
                                      const std::vector<FrameSpec>& frames);

// A bitmap of the given size filled with one colour.
plat::TBitmap FilledBitmap(int width, int height, plat::TColor colour);

}  // namespace pictavo::test
