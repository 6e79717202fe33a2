// The BMP reader over arbitrary bytes, through TBMPImage as the library loads files; a file that
// loads is also converted and written again, which walks every pixel of what was read.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "control/formats/bmp/bmpimage.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
  pictavo::TBMPImage image;
  try {
    image.LoadFromStream(stream);
  } catch (const plat::Exception&) {
    return 0;
  }
  (void)image.PixelColor(image.Width() - 1, image.Height() - 1);
  // Writing is only worth it for small images: a tall image of width 0 is valid and its
  // 24-bit file is large.
  if (int64_t{std::max(image.Width(), 1)} * std::max(image.Height(), 1) <= 1 << 16) {
    plat::TMemoryStream out;
    image.SaveToStream(out);
    image.SetPixelFormat(plat::TPixelFormat::pf24bit);
    image.SaveToStream(out);
  }
  return 0;
}
