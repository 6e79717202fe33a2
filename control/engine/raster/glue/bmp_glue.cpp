// BMP glue: the bitmap reads and writes BMP itself, with its resolution.
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadBmp(LoadRequest& request) {
  request.target.LoadFromStream(request.stream);
}

void SaveBmp(SaveRequest& request) {
  request.bitmap.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
