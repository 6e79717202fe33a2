// TIFF glue: this build has no TIFF codec yet. The TIFF codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadTiff(LoadRequest&) {
  ThrowNotAvailable("TIFF");
}
void SaveTiff(SaveRequest&) {
  ThrowNotAvailable("TIFF");
}

}  // namespace pictavo::glue
