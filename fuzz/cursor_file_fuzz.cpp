// Cursor file reader: directory, BMP entries with their masks, and PNG entries.
#include <cstdint>
#include <span>

#include "control/engine/view/cursor_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const auto cursor = pictavo::ReadCursor(std::span<const uint8_t>(data, size))) {
    // Touch every pixel so a wrongly sized image shows under the sanitizers.
    volatile uint32_t sum = 0;
    for (int y = 0; y < cursor->image.height(); ++y)
      for (int x = 0; x < cursor->image.width(); ++x) sum = sum + cursor->image.pixel(x, y);
  }
  return 0;
}
