#pragma once
// Helpers shared by the GIF tests: a scratch folder, outside tools as referees, and GIFs built
// from index pixels.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/formats/gif/gif_image.h"

namespace pictavo::test {

// A fresh folder under the system's temporary folder, removed by the destructor.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// The message of the library error the action raises; empty when it raises none.
std::string ErrorOf(const std::function<void()>& action);

// Runs a shell command; returns its standard output. Fails the test when it exits non-zero.
std::string RunTool(const std::string& command);

struct RgbImage {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  std::vector<uint8_t> rgb;  // red, green, blue per pixel, rows top to bottom
  std::vector<uint8_t> alpha;
};

// Frame 0 of a GIF as ImageMagick decodes it (the frame's own rectangle and offset).
RgbImage DecodeWithImageMagick(const std::string& path);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A palette of n distinct colours.
std::vector<plat::TColor> DistinctColours(int n);

// A one-frame GIF whose frame covers the screen and uses a global map.
std::vector<uint8_t> EncodeIndexedGIF(const std::vector<uint8_t>& pixels, int width, int height,
                                      const std::vector<plat::TColor>& colours, bool interlaced,
                                      uint8_t compression);

// Loads a GIF and collects its warnings.
struct LoadedGIF {
  std::unique_ptr<TGIFImage> image = std::make_unique<TGIFImage>();
  std::vector<std::string> warnings;
  bool HasWarning(const std::string& text) const;
};
LoadedGIF LoadGIF(const std::vector<uint8_t>& bytes);

// The same GIF with every frame's image data cut into sub-blocks of `size` bytes.
std::vector<uint8_t> RechunkImageData(const std::vector<uint8_t>& gif, int size);

// Rendered frame 0 as RGB bytes.
std::vector<uint8_t> RenderedRgb(TGIFImage& image);

}  // namespace pictavo::test
