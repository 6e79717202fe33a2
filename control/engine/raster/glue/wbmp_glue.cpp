// WBMP glue: the pixels only, reduced to black and white on saving.
#include "control/engine/raster/glue/glue.h"
#include "control/formats/wbmp/wbmp_image.h"

namespace pictavo::glue {

void LoadWbmp(LoadRequest& request) {
  TWBMPImage wbmp;
  wbmp.LoadFromStream(request.stream);
  request.target.Assign(wbmp);
}

void SaveWbmp(SaveRequest& request) {
  TWBMPImage wbmp;
  wbmp.Assign(request.bitmap);
  wbmp.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
