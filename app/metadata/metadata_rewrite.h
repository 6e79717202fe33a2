#pragma once
// Writing the control's metadata into an existing TIFF or PSD file without touching anything
// else in it: its pages, layers, image data and the blocks the control does not model stay as
// they are. The new blocks are the ones the control's own TIFF writer makes.
#include <QString>

namespace plat::com {
class ControlHost;
}

namespace metadata {

// Raises shell::AppError "The metadata could not be written to this file." when the file cannot
// be read as a TIFF or PSD file or cannot be replaced; the file is then unchanged.
void RewriteFileMetadata(const QString& path, plat::com::ControlHost* control);

}  // namespace metadata
