// The raster image's loader: the first byte picks the codec; any bytes load or fail with an
// exception of the library, never crash.
#include <cstdint>

#include "control/engine/raster/ticbitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pictavo::TicBitmap image;
  image.UseLZW = true;
  try {
    image.LoadFromBytes(data, static_cast<int64_t>(size), 1);
    image.SaveToBytes(pictavo::gfBMP, false, 75);
  } catch (const plat::Exception&) {
  }
  return 0;
}
