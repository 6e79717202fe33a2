// PNG glue: this build has no PNG codec yet. The PNG codec replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void LoadPng(LoadRequest&) {
  ThrowNotAvailable("PNG");
}
void SavePng(SaveRequest&) {
  ThrowNotAvailable("PNG");
}

}  // namespace pictavo::glue
