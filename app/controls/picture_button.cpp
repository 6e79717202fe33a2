#include "app/controls/picture_button.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <cmath>

namespace velmora {

namespace {

constexpr int kPictureLeft = 5;
constexpr int kRightMargin = 7;  // the picture never covers the face's last pixels
constexpr int kMarginWithMnemonic = 5, kMarginPlain = 11;

QImage OnWhite(const QImage& picture) {
  QImage ground(picture.size(), QImage::Format_RGB32);
  ground.fill(Qt::white);
  QPainter painter(&ground);
  painter.drawImage(0, 0, picture);
  return ground;
}

}  // namespace

PictureButton::PictureButton(QAbstractButton* button, const QImage& picture)
    : QObject(button), button_(button), picture_(OnWhite(picture)) {
  setObjectName(QStringLiteral("PictureButton"));
}

PictureButton* PictureButton::Of(const QAbstractButton* button) {
  return button->findChild<PictureButton*>(QStringLiteral("PictureButton"),
                                           Qt::FindDirectChildrenOnly);
}

PictureButton* PictureButton::Attach(QAbstractButton* button, const QImage& picture) {
  if (PictureButton* attached = Of(button)) {
    attached->picture_ = OnWhite(picture);
    button->update();
    return attached;
  }
  auto* attached = new PictureButton(button, picture);
  button->setText(PaddedCaption(button->text(), button->font(), button->width()));
  button->installEventFilter(attached);
  button->update();
  return attached;
}

void PictureButton::Detach(QAbstractButton* button) {
  if (PictureButton* attached = Of(button)) {
    button->removeEventFilter(attached);
    delete attached;
    button->update();
  }
}

QString PictureButton::PaddedCaption(const QString& caption, const QFont& font, int width) {
  const int margin = caption.contains(QLatin1Char('&')) ? kMarginWithMnemonic : kMarginPlain;
  const QFontMetrics metrics(font);
  QString padded = caption;
  for (int step = 0; step < width; ++step) {
    padded.prepend(QLatin1Char(' '));
    if (metrics.horizontalAdvance(padded) >= width - margin) break;
  }
  return padded;
}

QImage PictureButton::Combine(const QImage& face, const QImage& picture) {
  QImage result = face.convertToFormat(QImage::Format_RGB32);
  const QImage ground = picture.format() == QImage::Format_RGB32 ? picture : OnWhite(picture);
  const int top = static_cast<int>(std::lround(face.height() / 2.0 - ground.height() / 2.0));
  QPainter painter(&result);
  painter.setClipRect(kPictureLeft, top, face.width() - kRightMargin, face.height());
  painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  painter.drawImage(kPictureLeft, top, ground);
  return result;
}

QImage PictureButton::Face() const {
  QImage face(button_->size(), QImage::Format_RGB32);
  // A flat button paints no ground of its own: it shows what lies behind it.
  const QWidget* behind = button_->parentWidget() ? button_->parentWidget() : button_;
  face.fill(behind->palette().color(behind->backgroundRole()));
  // The face as the button paints it itself.
  QStyleOptionButton option;
  option.initFrom(button_);
  option.text = button_->text();
  option.icon = button_->icon();
  option.iconSize = button_->iconSize();
  option.features = QStyleOptionButton::None;
  if (const auto* push = qobject_cast<const QPushButton*>(button_)) {
    if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    if (push->menu()) option.features |= QStyleOptionButton::HasMenu;
  }
  if (button_->isDown()) option.state |= QStyle::State_Sunken;
  if (button_->isChecked()) option.state |= QStyle::State_On;
  if (!(option.features & QStyleOptionButton::Flat) && !button_->isDown())
    option.state |= QStyle::State_Raised;
  QPainter painter(&face);
  painter.setFont(button_->font());
  painter.setPen(button_->palette().color(button_->foregroundRole()));
  painter.setBrush(button_->palette().brush(button_->backgroundRole()));
  button_->style()->drawControl(QStyle::CE_PushButton, &option, &painter, button_);
  return face;
}

bool PictureButton::eventFilter(QObject* watched, QEvent* event) {
  if (watched != button_ || event->type() != QEvent::Paint)
    return QObject::eventFilter(watched, event);
  const QImage combined = Combine(Face(), picture_);
  QPainter screen(button_);
  screen.drawImage(QPoint(0, 0), combined);
  return true;
}

}  // namespace velmora
