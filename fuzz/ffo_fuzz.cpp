// Reads bytes as a file-info (.ffo) file and writes the result back.
#include <cstddef>
#include <cstdint>

#include "control/formats/jpeg/file_info.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictavo;
  plat::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
  TFileInfo info;
  try {
    info.LoadFromStream(stream);
    plat::TMemoryStream out;
    info.SaveToStream(out);
  } catch (const plat::Exception&) {
  }
  return 0;
}
