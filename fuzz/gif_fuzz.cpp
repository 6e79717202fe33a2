// The GIF reader on arbitrary bytes: load, render frame 0, and when the image is small enough,
// write it with both encoders and read it back, which must give frame 0's pixels again.
#include <cstdint>
#include <cstdlib>

#include "control/formats/gif/gif_image.h"

namespace {

constexpr int64_t kLargestRoundTrip = 1 << 20;

bool SmallFramesOnly(pictavo::TGIFImage& image) {
  for (int i = 0; i < image.Frames().ItemCount(); ++i) {
    pictavo::TGIFSubImage& frame = *image.Frames().FrameAt(i);
    if (frame.IsEmpty() || int64_t{frame.Width()} * frame.Height() > kLargestRoundTrip)
      return false;
  }
  return true;
}

void RoundTrip(pictavo::TGIFImage& image, uint8_t method) {
  image.CompressionMethod = method;
  plat::TMemoryStream out;
  try {
    image.SaveToStream(out);
  } catch (const plat::Exception&) {
    return;  // pixels outside their colour table cannot be written
  }
  pictavo::TGIFImage again;
  out.SetPosition(0);
  again.LoadFromStream(out);
  if (again.Frames().ItemCount() != image.Frames().ItemCount() ||
      again.Frames().FrameAt(0)->PixelData() != image.Frames().FrameAt(0)->PixelData())
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pictavo::TGIFImage image;
  image.WarningHandler = [](const void*, int, const std::string&) {};
  plat::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
  try {
    image.LoadFromStream(stream);
    image.HasTransparency();
    image.RenderedBitmap();
  } catch (const plat::Exception&) {
    return 0;
  }
  if (!image.GetEmpty() && SmallFramesOnly(image)) {
    RoundTrip(image, pictavo::ecLZW);
    RoundTrip(image, pictavo::ecRunLength);
  }
  return 0;
}
