// The "TPF0" component stream reader: any bytes either parse or fail with the stream error, and
// what parses writes back to the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "control/activex/component_stream.cpp"  // the reader is plain C++; no control needed

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const pictavo::TComponentImage image = pictavo::ReadComponentStream(data, size);
    const std::vector<uint8_t> again = pictavo::WriteComponentStream(image);
    if (again.size() > size || !std::equal(again.begin(), again.end(), data)) std::abort();
  } catch (const plat::Exception&) {
  }
  return 0;
}
