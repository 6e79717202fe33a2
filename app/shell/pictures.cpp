#include "app/shell/pictures.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPixmap>

#include "app/controls/picture_button.h"

namespace shell {

namespace {

struct PictureName {
  Picture picture;
  const char* name;
};

#define VELMORA_PICTURE(name) \
  { Picture::name, #name }
constexpr PictureName kPictureNames[] = {
    VELMORA_PICTURE(picSaveMultiPage),   VELMORA_PICTURE(picDetailFolder),
    VELMORA_PICTURE(picThumbnailFolder), VELMORA_PICTURE(picAddToQueue),
    VELMORA_PICTURE(picBrowseSettings),  VELMORA_PICTURE(picBrowseAbout),
    VELMORA_PICTURE(picPreviewView),     VELMORA_PICTURE(picPreviewPrevious),
    VELMORA_PICTURE(picPreviewNext),     VELMORA_PICTURE(picPreviewType),
    VELMORA_PICTURE(picPreviewSave),     VELMORA_PICTURE(picPreviewEdit),
    VELMORA_PICTURE(picPreviewPrint),    VELMORA_PICTURE(picBatchPrint),
    VELMORA_PICTURE(picTwainAcquire),    VELMORA_PICTURE(picCapture),
    VELMORA_PICTURE(picMetadataEdit),    VELMORA_PICTURE(picMetadataAdd),
    VELMORA_PICTURE(IconReset),          VELMORA_PICTURE(IconOriginalImage),
    VELMORA_PICTURE(IconEditbarNew),     VELMORA_PICTURE(IconEditbarOpen),
    VELMORA_PICTURE(IconEditbarSave),    VELMORA_PICTURE(IconEditbarRemove),
    VELMORA_PICTURE(iDetailIcon),        VELMORA_PICTURE(imgQueue),
    VELMORA_PICTURE(imgMetadata),        VELMORA_PICTURE(imgFolder),
};
#undef VELMORA_PICTURE

const char* NameOf(Picture picture) {
  for (const PictureName& row : kPictureNames)
    if (row.picture == picture) return row.name;
  return "";
}

// Room the button's own frame and padding take around its content.
constexpr int kButtonFrame = 12;
constexpr int kPictureLeft = 5, kGapAfterPicture = 4;

void FitToCaption(QAbstractButton* button, const QImage& picture) {
  const QString text = button->text().trimmed();
  int width = kPictureLeft + picture.width() + kButtonFrame;
  if (!text.isEmpty())
    width += kGapAfterPicture + QFontMetrics(button->font()).horizontalAdvance(text);
  button->setFixedWidth(width);
}

}  // namespace

QImage PictureImage(Picture picture) {
  return QImage(QStringLiteral(":/pictures/") + QString::fromLatin1(NameOf(picture)) +
                QStringLiteral(".png"));
}

QIcon PictureIcon(Picture picture) {
  return QIcon(QPixmap::fromImage(PictureImage(picture)));
}

void subAttachButtonPicture(QAbstractButton* button, Picture picture, ButtonWidth width) {
  const QImage image = PictureImage(picture);
  if (width == ButtonWidth::ToCaption) FitToCaption(button, image);
  velmora::PictureButton::Attach(button, image);
}

void subDetachButtonPicture(QAbstractButton* button) {
  velmora::PictureButton::Detach(button);
}

void DetachAllButtonPictures(QWidget* window) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
    if (velmora::PictureButton::Of(button)) subDetachButtonPicture(button);
}

}  // namespace shell
