#pragma once
// What edit mode knows while the user edits the shown image: the task being prepared, whether
// edit mode is shown, whether the image carries an unconfirmed preview, the image size when edit
// mode was entered and the image as last confirmed. The viewer's mouse, the option panels, the
// preview and the confirmation all read and write this one object.
#include <QByteArray>
#include <cstdint>

#include "app/tasks/editing_task.h"
#include "control/activex/imagebox_interface.h"

namespace edit {

// The snapshots of the image are TIFF files, which keep every pixel.
inline constexpr auto kTiffSnapshot = pictavo::ax::TxGraphicsFormat(7);  // gfTIF

struct EditState {
  tasks::EditingTask gCurrentTask;  // Enhancement 0: no task chosen
  int32_t glEditMode = 0;           // 1 while edit mode is shown
  bool mbImageModified = false;     // an unconfirmed preview is on the image
  bool mbNoPreviewShown = true;
  int32_t mlEditImageWidth = 0;
  int32_t mlEditImageHeight = 0;
  QByteArray gvarConfirmedSnapshot;  // TIFF bytes; empty outside edit mode
};

}  // namespace edit
