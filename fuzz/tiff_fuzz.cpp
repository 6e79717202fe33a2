// TIFF reader: parse a page, decode it, count the pages and write the page out again.
#include <cstdint>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/tiff/tif_image.h"
#include "control/formats/tiff/tif_pages.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::TReadOnlyMemoryStream input(data, static_cast<int64_t>(size));
  try {
    pictavo::CountTIFPagesInStream(input);
  } catch (const plat::Exception&) {
  }
  for (int32_t page : {1, 2}) {
    try {
      pictavo::TTIFImage tif;
      tif.PageNumber = page;
      tif.LoadFromStream(input);
      // Decoding a page as large as the reader allows takes a while; keep the runs quick.
      if (uint64_t{tif.ImageWidth()} * tif.ImageLength() > (uint64_t{1} << 22)) continue;
      pictavo::TBMPImage bmp;
      bmp.Assign(tif);
      plat::TMemoryStream out;
      tif.SaveToStream(out);
    } catch (const plat::Exception&) {
    }
  }
  return 0;
}
