#pragma once
// The pictures of the main window's buttons and status panels, by the name of the picture box that
// holds each one. Every button and panel takes its picture from here, so the artwork can change
// in one place; until the program ships its own artwork each name maps to a stock icon.
#include <QIcon>

class QAbstractButton;

namespace shell {

enum class Picture {
  picSaveMultiPage,
  picDetailFolder,
  picThumbnailFolder,
  picAddToQueue,
  picBrowseSettings,
  picBrowseAbout,
  picPreviewView,
  picPreviewPrevious,
  picPreviewNext,
  picPreviewType,
  picPreviewSave,
  picPreviewEdit,
  picPreviewPrint,
  picBatchPrint,
  picTwainAcquire,
  picCapture,
  picMetadataEdit,
  picMetadataAdd,
  IconReset,
  IconOriginalImage,
  IconEditbarNew,     // IconEditbar(0)
  IconEditbarOpen,    // IconEditbar(1)
  IconEditbarSave,    // IconEditbar(2)
  IconEditbarRemove,  // IconEditbar(3)
  iDetailIcon,
  imgQueue,
  imgMetadata,
  imgFolder,
};

QIcon PictureIcon(Picture picture);

// Puts the picture on the button beside its caption.
void subAttachButtonPicture(QAbstractButton* button, Picture picture);

}  // namespace shell
