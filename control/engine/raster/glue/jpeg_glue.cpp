// JPEG glue: this build has no JPEG codec yet. The JPEG codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadJpeg(LoadRequest&) {
  ThrowNotAvailable("JPEG");
}
void SaveJpeg(SaveRequest&) {
  ThrowNotAvailable("JPEG");
}

}  // namespace pictavo::glue
