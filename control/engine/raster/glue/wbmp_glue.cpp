// WBMP glue: this build has no WBMP codec yet. The WBMP codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadWbmp(LoadRequest&) {
  ThrowNotAvailable("WBMP");
}
void SaveWbmp(SaveRequest&) {
  ThrowNotAvailable("WBMP");
}

}  // namespace pictavo::glue
