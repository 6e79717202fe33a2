// WBMP reader: decode, hand the pixels to a bitmap and write them out again.
#include <cstdint>

#include "control/formats/wbmp/wbmp_image.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::TReadOnlyMemoryStream input(data, static_cast<int64_t>(size));
  try {
    pictavo::TWBMPImage wbmp;
    wbmp.LoadFromStream(input);
    plat::TBitmap bmp;
    bmp.Assign(wbmp);
    plat::TMemoryStream out;
    wbmp.SaveToStream(out);
  } catch (const plat::Exception&) {
  }
  return 0;
}
