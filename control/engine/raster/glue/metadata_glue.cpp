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

void UpdateExifResolution(TExif& exif, int x_dpi, int y_dpi) {
  if (exif.Tags.empty()) return;
  auto update = [&exif](const char* name, const std::string& value) {
    int index = exif.IndexOfName(name);
    if (index >= 0) exif.Tags[index] = std::string(name) + "=" + value;
  };
  update("XResolution", std::to_string(x_dpi) + "/1");
  update("YResolution", std::to_string(y_dpi) + "/1");
  update("ResolutionUnit", "2");
}

}  // namespace glue
}  // namespace pictavo
