// PSD glue: a TPSDImage decodes the merged image with its resolution, IPTC file info and
// whether it was CMYK; saving carries the file info and, except for a size count, the DPI.
#include "control/engine/raster/glue/glue.h"
#include "control/formats/tiff/psd_image.h"

namespace pictavo::glue {

void LoadPsd(LoadRequest& request) {
  TPSDImage psd;
  psd.LoadFromStream(request.stream);
  TicBitmap& target = request.target;
  target.Assign(psd);
  CopyFileInfo(*target.FileInfo, psd.FileInfo);
  target.SetXDPI(psd.XDPI);
  target.SetYDPI(psd.YDPI);
  target.WasCMYK = psd.WasCMYK;
}

void SavePsd(SaveRequest& request) {
  TPSDImage psd;
  psd.Assign(request.bitmap);
  CopyFileInfo(psd.FileInfo, *request.bitmap.FileInfo);
  if (request.use != SaveUse::Size) {
    psd.XDPI = request.bitmap.GetXDPI();
    psd.YDPI = request.bitmap.GetYDPI();
  }
  psd.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
