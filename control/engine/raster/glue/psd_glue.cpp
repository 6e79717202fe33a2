// PSD glue: this build has no PSD codec yet. The PSD codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadPsd(LoadRequest&) {
  ThrowNotAvailable("PSD");
}
void SavePsd(SaveRequest&) {
  ThrowNotAvailable("PSD");
}

}  // namespace pictavo::glue
