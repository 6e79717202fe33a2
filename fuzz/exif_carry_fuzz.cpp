// Takes bytes as the old EXIF block of a JPEG file (the "Exif\0\0" header added when missing)
// and carries what the store does not model into a new block, as a metadata rewrite does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/exif_carry.h"
#include "platform/base/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictavo;
  static const std::string kHeader("Exif\0\0", 6);
  std::vector<uint8_t> old(data, data + size);
  if (old.size() < 6 || std::string(old.begin(), old.begin() + 6) != kHeader)
    old.insert(old.begin(), kHeader.begin(), kHeader.end());
  TExif store;
  store.SetAttribute("Artist", u"Fuzz");
  store.SetAttribute("GPSAltitude", u"12/1");
  try {
    (void)ExifPayloadKeeping(store.JpegPayload(), old);
  } catch (const plat::Exception&) {
  }
  return 0;
}
