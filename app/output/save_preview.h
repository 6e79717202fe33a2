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

// The types the save dialog lists, as "Name|patterns" pairs.
extern const QString kSavePreviewFilter;

// Asks for a file with the save dialog and saves the control's image there; a failed save is
// reported and then the user is told the file could not be saved.
void fncSavePreviewToFile_Dialog(plat::com::ControlHost& control);

// Writes the control's image to path in the format of its extension (any letter case). True when
// the file was written, and for an empty path (a cancelled dialog), which writes nothing. An
// error is reported through the global handler; a format that cannot be written is refused with
// a message. Either way the answer is false and an existing file stays as it was.
bool fncSavePreviewImage(plat::com::ControlHost& control, const QString& path);

// Makes "Image document" in the viewer's save menu reach fncSavePreviewToFile_Dialog.
void RegisterSavePreview();

}  // namespace output
