// Metadata glue: empty IPTC and EXIF holders until the JPEG metadata code replaces this file with
// one that includes its TFileInfo and TExif and forwards to their assignment (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo {

class TFileInfo {};
class TExif {};

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
void CopyFileInfo(TFileInfo&, const TFileInfo&) {}
void CopyExif(TExif&, const TExif&) {}
void UpdateExifResolution(TExif&, int, int) {}

}  // namespace glue
}  // namespace pictavo
