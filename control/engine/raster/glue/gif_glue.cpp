// GIF glue: this build has no GIF codec yet. The GIF codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadGif(LoadRequest&) {
  ThrowNotAvailable("GIF");
}
void SaveGif(SaveRequest&) {
  ThrowNotAvailable("GIF");
}

}  // namespace pictavo::glue
