#include "app/output/jpeg2000.h"

namespace velmora::modJPEG2000 {

namespace {

// The text after the path's last ".", or the whole path when it has none.
std::string ExtensionOf(const std::string& path) {
  const std::string::size_type dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(dot + 1);
}

}  // namespace

int32_t PrepareJPEG2000(IJpeg2000Encoder& encoder, plat::THandle bitmap, const std::string& path,
                        int16_t rate) {
  encoder.SetBitmap(bitmap);
  encoder.Refresh();
  encoder.SetRate(rate);
  return encoder.FormatOfExtension(ExtensionOf(path));
}

void fncSaveJPEG2000(IJpeg2000Encoder& encoder, plat::THandle bitmap, const std::string& path,
                     int16_t rate) {
  int32_t format = PrepareJPEG2000(encoder, bitmap, path, rate);
  encoder.SaveFile(format, path);
}

}  // namespace velmora::modJPEG2000
