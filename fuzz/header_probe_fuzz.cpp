// Image header probe: both readers over the same bytes; neither may raise or read outside them.
#include <cstdint>
#include <span>

#include "app/browse/header_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  browse::clsImageHeaderInfo probe;
  probe.ReadGIF_BMP_Bytes(bytes);
  probe.ReadJPEG_TIFF_PNG_Bytes(bytes);
  return 0;
}
