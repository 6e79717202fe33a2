#pragma once
// The save binding of the JPEG 2000 output: the batch conversion and the save of the shown image
// both write their ".jp2" and ".jpc" files through it.
#include <cstdint>
#include <string>

#include "app/output/jpeg2000_encoder.h"

namespace velmora::modJPEG2000 {

// Hands the image of bitmap to encoder and has it written to path at rate. Nothing is trapped:
// an encoder failure reaches the caller with its message. The caller keeps the bitmap alive
// until this returns.
void fncSaveJPEG2000(IJpeg2000Encoder& encoder, plat::THandle bitmap, const std::string& path,
                     int16_t rate);

// The calls of fncSaveJPEG2000 before the write: the encoder takes the image, the rate and the
// format of path's extension, which it returns for SaveFile. The batch makes these on the GUI
// thread and leaves the write to a worker.
int32_t PrepareJPEG2000(IJpeg2000Encoder& encoder, plat::THandle bitmap, const std::string& path,
                        int16_t rate);

}  // namespace velmora::modJPEG2000
