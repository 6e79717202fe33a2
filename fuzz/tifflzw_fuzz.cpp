// TIFF LZW decoder: the first byte sets how many output bytes the strip may give.
#include <cstdint>
#include <span>
#include <vector>

#include "control/formats/tiff/tiff_lzw.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t limit = size_t{data[0]} * 257;
  std::vector<uint8_t> out;
  try {
    pictavo::DecodeLZW(out, std::span<const uint8_t>(data + 1, size - 1), limit);
  } catch (const plat::Exception&) {
  }
  if (out.size() > limit) __builtin_trap();
  return 0;
}
