// PCX glue: this build has no PCX codec yet. The PCX codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadPcx(LoadRequest&) {
  ThrowNotAvailable("PCX");
}
void SavePcx(SaveRequest&) {
  ThrowNotAvailable("PCX");
}

}  // namespace pictavo::glue
