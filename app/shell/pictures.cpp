#include "app/shell/pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStyle>

namespace shell {

namespace {

QStyle::StandardPixmap StockIconOf(Picture picture) {
  switch (picture) {
    case Picture::picSaveMultiPage:
    case Picture::picPreviewSave:
    case Picture::IconEditbarSave:
      return QStyle::SP_DialogSaveButton;
    case Picture::picDetailFolder:
    case Picture::iDetailIcon:
      return QStyle::SP_FileDialogDetailedView;
    case Picture::picThumbnailFolder:
      return QStyle::SP_FileDialogListView;
    case Picture::picAddToQueue:
    case Picture::imgQueue:
      return QStyle::SP_FileDialogNewFolder;
    case Picture::picBrowseSettings:
      return QStyle::SP_FileDialogInfoView;
    case Picture::picBrowseAbout:
      return QStyle::SP_MessageBoxQuestion;
    case Picture::picPreviewView:
      return QStyle::SP_TitleBarMaxButton;
    case Picture::picPreviewPrevious:
      return QStyle::SP_ArrowBack;
    case Picture::picPreviewNext:
      return QStyle::SP_ArrowForward;
    case Picture::picPreviewType:
      return QStyle::SP_FileDialogContentsView;
    case Picture::picPreviewEdit:
    case Picture::picMetadataEdit:
      return QStyle::SP_FileDialogDetailedView;
    case Picture::picPreviewPrint:
    case Picture::picBatchPrint:
      return QStyle::SP_DesktopIcon;
    case Picture::picTwainAcquire:
      return QStyle::SP_DriveCDIcon;
    case Picture::picCapture:
      return QStyle::SP_ComputerIcon;
    case Picture::picMetadataAdd:
      return QStyle::SP_FileIcon;
    case Picture::IconReset:
      return QStyle::SP_BrowserReload;
    case Picture::IconOriginalImage:
      return QStyle::SP_DialogResetButton;
    case Picture::IconEditbarNew:
      return QStyle::SP_FileIcon;
    case Picture::IconEditbarOpen:
      return QStyle::SP_DialogOpenButton;
    case Picture::IconEditbarRemove:
      return QStyle::SP_TrashIcon;
    case Picture::imgMetadata:
      return QStyle::SP_MessageBoxInformation;
    case Picture::imgFolder:
      return QStyle::SP_DirIcon;
  }
  return QStyle::SP_FileIcon;
}

}  // namespace

QIcon PictureIcon(Picture picture) {
  return QApplication::style()->standardIcon(StockIconOf(picture));
}

void subAttachButtonPicture(QAbstractButton* button, Picture picture) {
  button->setIcon(PictureIcon(picture));
}

}  // namespace shell
