// Reads bytes as an APP13 payload and as bare Photoshop resource blocks into the file info.
#include <cstddef>
#include <cstdint>

#include "control/formats/jpeg/file_info.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictavo;
  for (bool app13 : {true, false}) {
    TApp14Segment container;
    TFileInfo info;
    try {
      if (app13)
        container.LoadFromAPP13({data, size});
      else
        container.LoadFromResources({data, size});
    } catch (const plat::Exception&) {
    }
    info.FromSegment(container);
    try {
      container.APP13Bytes();
      info.ToSegment().ResourceBytes();
    } catch (const plat::Exception&) {
    }
  }
  return 0;
}
