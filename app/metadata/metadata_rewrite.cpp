#include "app/metadata/metadata_rewrite.h"

#include "app/shell/errors.h"

namespace metadata {

namespace {
constexpr int32_t kErrFileAccess = 75;
}

// Until the in-place rewrite exists, a TIFF or PSD file is left as it is rather than replaced
// by the control's single flattened page.
void RewriteFileMetadata(const QString&, plat::com::ControlHost*) {
  throw shell::AppError(kErrFileAccess, "The metadata could not be written to this file.");
}

}  // namespace metadata
