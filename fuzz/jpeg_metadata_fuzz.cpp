// Loads bytes as a JPEG file: header, marker segments, EXIF, IPTC and the quality estimate,
// then rewrites its metadata in memory as OverwriteMetaData would and decodes small images.
#include <cstddef>
#include <cstdint>

#include "control/formats/jpeg/jpeg_image.h"
#include "control/formats/jpeg/jpeg_segments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictavo;
  plat::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
  TJPEGImageExtra jpeg;
  try {
    jpeg.LoadFromStream(stream);
    // Decoding is bounded by the header's size; keep the fuzzer's runs short.
    if (int64_t{jpeg.GetWidth()} * jpeg.GetHeight() <= (1 << 16)) jpeg.GetBitmap();
    jpeg.Exif.JpegPayload();
    jpeg.FileInfo.ToSegment().APP13Bytes();
  } catch (const plat::Exception&) {
  }
  TJpegLayout layout = ScanJpegSegments({data, size});
  (void)MetadataInsertionPoint(layout);
  return 0;
}
