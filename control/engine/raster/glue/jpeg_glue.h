#pragma once
// The raster image's in-place JPEG metadata rewrite (the control's OverwriteMetaData).
#include <string>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo::glue {

// Rewrites the IPTC and EXIF segments of an existing JPEG file from the image's file info and
// EXIF store without recompressing. A missing file raises plat::EFOpenError "File not found: "
// and the name without folder; any other failure plat::EInvalidGraphic "Error overwriting JPEG
// Meta Data.", with the file left as it was.
void OverwriteJpegMetaData(const TicBitmap& image, const std::string& file_name);

}  // namespace pictavo::glue
