// Pages from a backend's frames: each frame's parameters come from 16 bytes of the input, then a
// length byte says how many of the following bytes it delivers; the page is built at the end.
#include <cstdint>
#include <cstring>

#include "platform/scan/sane_frames.h"

namespace {

SANE_Parameters ParametersOf(const uint8_t* p) {
  SANE_Parameters parameters{};
  const int kind = p[0] - 2;  // numbers outside SANE_Frame too, as a faulty backend sends
  std::memcpy(&parameters.format, &kind, sizeof kind);
  parameters.last_frame = p[1] & 1;
  const int depths[] = {1, 8, 16, 4};
  parameters.depth = depths[p[1] >> 6];
  int16_t value;
  std::memcpy(&value, p + 2, 2);
  parameters.pixels_per_line = value;
  std::memcpy(&value, p + 4, 2);
  parameters.bytes_per_line = value;
  std::memcpy(&value, p + 6, 2);
  parameters.lines = value;
  return parameters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::scan::TPageFrames page;
  size_t at = 0;
  while (at + 8 <= size) {
    if (!page.BeginFrame(ParametersOf(data + at))) return 0;
    at += 8;
    while (at < size && data[at] != 0) {
      const size_t length = std::min<size_t>(data[at], size - at - 1);
      if (!page.Append({data + at + 1, length})) return 0;
      at += 1 + length;
    }
    ++at;  // the zero that ends the frame
  }
  const auto dib = page.PackedDib(100, 100);
  if (dib && dib->size() < 40) __builtin_trap();
  return 0;
}
