// The incremental update on any bytes with one pending page: it either appends after the
// untouched source or refuses and leaves the source as it was.
#include <cstdint>
#include <cstring>
#include <vector>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/pdf/pdf_document.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace {

const pictavo::TicPDF& OnePage() {
  static const pictavo::TicPDF pdf = [] {
    pictavo::TBMPImage bitmap;
    static_cast<plat::TBitmap&>(bitmap) = plat::TBitmap(16, 8, plat::TPixelFormat::pf1bit);
    bitmap.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
    pictavo::TicPDF one;
    one.AddG4Page(bitmap, 1);
    return one;
  }();
  return pdf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> source(data, data + size);
  plat::TMemoryStream stream(source);
  const int position = size > 0 ? static_cast<int8_t>(data[0]) % 5 : 0;
  bool appended = true;
  try {
    OnePage().AppendPage(stream, position);
  } catch (const plat::Exception&) {
    appended = false;
  }
  const std::vector<uint8_t>& result = stream.Bytes();
  if (!appended && result != source) __builtin_trap();
  if (appended && (result.size() <= size || std::memcmp(result.data(), data, size) != 0))
    __builtin_trap();
  return 0;
}
