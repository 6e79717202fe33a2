// Takes bytes as an existing file and the control's TIFF (a little-endian 32-bit length of the
// file's part first) and writes the control's metadata into the file in place, both as a TIFF
// file and as a PSD file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/metadata/metadata_blocks.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const size_t split =
      data[0] | size_t{data[1]} << 8 | size_t{data[2]} << 16 | size_t{data[3]} << 24;
  const std::span<const uint8_t> rest(data + 4, size - 4);
  if (split > rest.size()) return 0;
  const std::span<const uint8_t> file = rest.first(split);
  const std::span<const uint8_t> control = rest.subspan(split);
  for (bool storeEmpty : {false, true}) {
    try {
      (void)metadata::TiffWithMetadata(file, {control, control, storeEmpty});
    } catch (const plat::Exception&) {
    }
  }
  try {
    (void)metadata::PsdWithMetadata(file, control);
  } catch (const plat::Exception&) {
  }
  return 0;
}
