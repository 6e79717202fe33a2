// The PNG reader on arbitrary bytes; what loads is written again and read back.
#include <cstddef>
#include <cstdint>

#include "control/formats/png/png_image.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::TReadOnlyMemoryStream input(data, static_cast<int64_t>(size));
  pictavo::TPNGImage png;
  try {
    png.LoadFromStream(input);
  } catch (const plat::Exception&) {
    return 0;
  }
  plat::TMemoryStream output;
  png.SaveToStream(output);
  output.SetPosition(0);
  pictavo::TPNGImage again;
  again.LoadFromStream(output);
  return 0;
}
