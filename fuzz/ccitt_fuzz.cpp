// CCITT decoders: the first two bytes choose the coding, the page width and the fill order.
#include <cstdint>
#include <span>
#include <vector>

#include "control/formats/tiff/ccitt.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  pictavo::TFaxPage page;
  page.width = 1 + data[1] * 13u;
  page.photometric = mode & 1;
  page.fillOrderReversed = (mode & 2) != 0;
  std::span<const uint8_t> strip(data + 2, size - 2);
  const uint32_t rows = 1 + (mode >> 4) * 4;
  std::vector<uint8_t> out;
  try {
    switch ((mode >> 2) & 3) {
      case 0:
        pictavo::DecodeModifiedHuffman(out, strip, rows, page);
        break;
      case 1:
        pictavo::DecodeGroup3(out, strip, rows, page, false);
        break;
      case 2:
        pictavo::DecodeGroup3(out, strip, rows, page, true);
        break;
      default:
        pictavo::DecodeGroup4(out, strip, rows, page);
    }
  } catch (const plat::Exception&) {
  }
  if (out.size() > size_t{rows} * ((page.width + 7) / 8)) __builtin_trap();
  return 0;
}
