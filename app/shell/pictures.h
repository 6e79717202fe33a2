#pragma once
// The pictures of the main window's buttons and status panels, by the name of the picture box that
// holds each one. Every button and panel takes its picture from here; the artwork is drawn by
// scripts/make_button_pictures.py and compiled in.
#include <QIcon>
#include <QImage>

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

QImage PictureImage(Picture picture);
QIcon PictureIcon(Picture picture);

// How the button's width is taken when its picture is attached.
enum class ButtonWidth {
  AsPlaced,   // the width the button was given
  ToCaption,  // a fixed width that holds the picture and the caption's text, for a row of buttons
};

// Draws the picture on the button left of its caption, which is padded with blanks to make room.
void subAttachButtonPicture(QAbstractButton* button, Picture picture,
                            ButtonWidth width = ButtonWidth::AsPlaced);
// The button paints plainly again.
void subDetachButtonPicture(QAbstractButton* button);
// Detaches every button under `window` that has a picture.
void DetachAllButtonPictures(QWidget* window);

}  // namespace shell
