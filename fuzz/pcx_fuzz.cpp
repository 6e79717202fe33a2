// PCX reader: decode, hand the pixels to a bitmap and write them out again.
#include <cstdint>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/pcx/pcx_image.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::TReadOnlyMemoryStream input(data, static_cast<int64_t>(size));
  try {
    pictavo::TPCXImage pcx;
    pcx.LoadFromStream(input);
    pictavo::TBMPImage bmp;
    bmp.Assign(pcx);
    plat::TMemoryStream out;
    pcx.SaveToStream(out);
  } catch (const plat::Exception&) {
  }
  return 0;
}
