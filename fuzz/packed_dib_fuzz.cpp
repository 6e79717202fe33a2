// Packed DIBs as a host hands them over in a memory handle: the file header put in front, the
// BMP reader, and the widening and palette order the control applies afterwards.
#include <cstddef>
#include <cstdint>

#include "control/engine/view/image_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto image = pictavo::ImageOfPackedDib(data, static_cast<int64_t>(size));
    if (image) (void)image->PixelColor(image->Width() - 1, image->Height() - 1);
  } catch (const pictavo::ETwainError&) {
  }
  return 0;
}
