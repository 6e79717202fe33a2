#pragma once
// The save of the image the viewer shows, in any format the save dialog offers, with the options
// its panels stored. The shown image itself is never touched: the save works on a copy in a
// control of its own, so conversions and options of one save reach neither the viewer nor the
// next save.
#include <QString>

namespace plat::com {
class ControlHost;
}

namespace output {

// Writes the control's image to path in the format of its extension (any letter case). True when
// the file was written, and for an empty path (a cancelled dialog), which writes nothing. An
// error is reported through the global handler; a format that cannot be written is refused with
// a message. Either way the answer is false and an existing file stays as it was.
bool fncSavePreviewImage(plat::com::ControlHost& control, const QString& path);

}  // namespace output
