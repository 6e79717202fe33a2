// PCX glue: a TPCXImage carries the pixels and the resolution both ways.
#include "control/engine/raster/glue/glue.h"
#include "control/formats/pcx/pcx_image.h"

namespace pictavo::glue {

void LoadPcx(LoadRequest& request) {
  TPCXImage pcx;
  pcx.LoadFromStream(request.stream);
  TicBitmap& target = request.target;
  target.Assign(pcx);
  target.SetXDPI(pcx.GetXDPI());
  target.SetYDPI(pcx.GetYDPI());
}

void SavePcx(SaveRequest& request) {
  TPCXImage pcx;
  pcx.Assign(request.bitmap);
  pcx.SetXDPI(request.bitmap.GetXDPI());
  pcx.SetYDPI(request.bitmap.GetYDPI());
  pcx.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
