// Reads bytes as an EXIF APP1 payload and as a TIFF stream's IFD, then writes back what was read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "control/formats/jpeg/exif.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictavo;
  for (bool tiff_form : {false, true}) {
    TBEMemoryStream stream(std::vector<uint8_t>(data, data + size));
    if (tiff_form) {
      stream.BigEndian = size > 0 && data[0] == 'M';
      stream.SetPosition(size > 8 ? 8 : 0);
    }
    TExif exif;
    bool found = false;
    exif.ReadFromStream(stream, found, tiff_form);
    try {
      TExif back;
      TBEMemoryStream payload;
      int64_t next = 0;
      int pointers = 0;
      exif.WriteToStream(payload, false, next, pointers, 0);
      back.ReadFromStream(payload, found, false);
    } catch (const plat::Exception&) {
    }
  }
  return 0;
}
