#pragma once
// The JPEG unit's own error class. It descends the platform's invalid-graphic error, which the
// raster image turns into its own message for a corrupt file.
#include "platform/base/exceptions.h"

namespace pictavo {

VELMORA_EXCEPTION(EJPEG, plat::EInvalidGraphic);

}  // namespace pictavo
