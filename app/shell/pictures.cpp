#include "app/shell/pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStyle>

namespace shell {

namespace {

struct StockIcon {
  Picture picture;
  QStyle::StandardPixmap icon;
};

constexpr StockIcon kStockIcons[] = {
    {Picture::picSaveMultiPage, QStyle::SP_DialogSaveButton},
    {Picture::picDetailFolder, QStyle::SP_FileDialogDetailedView},
    {Picture::picThumbnailFolder, QStyle::SP_FileDialogListView},
    {Picture::picAddToQueue, QStyle::SP_FileDialogNewFolder},
    {Picture::picBrowseSettings, QStyle::SP_FileDialogInfoView},
    {Picture::picBrowseAbout, QStyle::SP_MessageBoxQuestion},
    {Picture::picPreviewView, QStyle::SP_TitleBarMaxButton},
    {Picture::picPreviewPrevious, QStyle::SP_ArrowBack},
    {Picture::picPreviewNext, QStyle::SP_ArrowForward},
    {Picture::picPreviewType, QStyle::SP_FileDialogContentsView},
    {Picture::picPreviewSave, QStyle::SP_DialogSaveButton},
    {Picture::picPreviewEdit, QStyle::SP_FileDialogDetailedView},
    {Picture::picPreviewPrint, QStyle::SP_DesktopIcon},
    {Picture::picBatchPrint, QStyle::SP_DesktopIcon},
    {Picture::picTwainAcquire, QStyle::SP_DriveCDIcon},
    {Picture::picCapture, QStyle::SP_ComputerIcon},
    {Picture::picMetadataEdit, QStyle::SP_FileDialogDetailedView},
    {Picture::picMetadataAdd, QStyle::SP_FileIcon},
    {Picture::IconReset, QStyle::SP_BrowserReload},
    {Picture::IconOriginalImage, QStyle::SP_DialogResetButton},
    {Picture::IconEditbarNew, QStyle::SP_FileIcon},
    {Picture::IconEditbarOpen, QStyle::SP_DialogOpenButton},
    {Picture::IconEditbarSave, QStyle::SP_DialogSaveButton},
    {Picture::IconEditbarRemove, QStyle::SP_TrashIcon},
    {Picture::iDetailIcon, QStyle::SP_FileDialogDetailedView},
    {Picture::imgQueue, QStyle::SP_FileDialogNewFolder},
    {Picture::imgMetadata, QStyle::SP_MessageBoxInformation},
    {Picture::imgFolder, QStyle::SP_DirIcon},
};

QStyle::StandardPixmap StockIconOf(Picture picture) {
  for (const StockIcon& row : kStockIcons)
    if (row.picture == picture) return row.icon;
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
