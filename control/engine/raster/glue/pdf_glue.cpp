// PDF glue: this build has no PDF writer yet. The PDF writer replaces this file (see glue.h).
#include "control/engine/raster/glue/glue.h"

namespace pictavo::glue {

void SavePdf(SaveRequest&) {
  ThrowNotAvailable("PDF");
}

}  // namespace pictavo::glue
