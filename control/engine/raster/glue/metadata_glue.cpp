// Metadata glue: the image's IPTC file info and EXIF store are the JPEG unit's own classes.
#include "control/engine/raster/glue/glue.h"
#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/file_info.h"

namespace pictavo {

void FileInfoDeleter::operator()(TFileInfo* p) const {
  delete p;
}
void ExifDeleter::operator()(TExif* p) const {
  delete p;
}

namespace glue {

TFileInfo* NewFileInfo() {
  return new TFileInfo;
}
TExif* NewExif() {
  return new TExif;
}
void CopyFileInfo(TFileInfo& dest, const TFileInfo& source) {
  dest.CopyFrom(source);
}
void CopyExif(TExif& dest, const TExif& source) {
  dest.CopyFrom(source);
}

namespace {

// Only tags the image already has change: a file without them keeps the EXIF it had.
void ReplaceExistingTag(TExif& exif, const char* name, const std::string& value) {
  const int index = exif.IndexOfName(name);
  if (index >= 0) exif.Tags[index] = std::string(name) + "=" + value;
}

}  // namespace

void UpdateExifResolution(TExif& exif, int x_dpi, int y_dpi) {
  ReplaceExistingTag(exif, "XResolution", std::to_string(x_dpi) + "/1");
  ReplaceExistingTag(exif, "YResolution", std::to_string(y_dpi) + "/1");
  ReplaceExistingTag(exif, "ResolutionUnit", "2");
}

void UpdateExifDimensions(TExif& exif, int width, int height) {
  ReplaceExistingTag(exif, "PixelXDimension", std::to_string(width));
  ReplaceExistingTag(exif, "PixelYDimension", std::to_string(height));
}

}  // namespace glue
}  // namespace pictavo
