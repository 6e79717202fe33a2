// PSD reader: decode the merged image, hand it to a bitmap and write it out again.
#include <cstdint>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/tiff/psd_image.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::TReadOnlyMemoryStream input(data, static_cast<int64_t>(size));
  try {
    pictavo::TPSDImage psd;
    psd.LoadFromStream(input);
    pictavo::TBMPImage bmp;
    bmp.Assign(psd);
    plat::TMemoryStream out;
    psd.SaveToStream(out);
  } catch (const plat::Exception&) {
  }
  return 0;
}
