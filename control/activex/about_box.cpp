#include "control/activex/about_box.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

namespace pictavo {

namespace {

// The control's 24 x 24 toolbox picture: a framed landscape in the 16 classic colours.
QPixmap ControlIcon() {
  QPixmap icon(24, 24);
  icon.fill(QColor(192, 192, 192));
  QPainter p(&icon);
  p.fillRect(2, 2, 20, 20, QColor(0, 128, 128));
  p.fillRect(2, 14, 20, 8, QColor(0, 128, 0));
  p.setBrush(QColor(255, 255, 0));
  p.setPen(Qt::NoPen);
  p.drawEllipse(14, 4, 5, 5);
  p.setPen(QColor(0, 0, 0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(1, 1, 21, 21);
  return icon;
}

}  // namespace

TImageBoxAbout::TImageBoxAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ctl_image_(new QToolButton(this)),
      desc_lbl_(new QLabel("An ActiveX control for processing of graphic images.", this)),
      lbl_link_(new QLabel("https://velmora.example/pictavo", this)),
      ok_btn_(new QPushButton("OK", this)) {
  setWindowTitle("About Pictavo");
  setFixedSize(312, 141);
  QPalette face = palette();
  face.setColor(QPalette::Window, QColor(212, 208, 200));
  setPalette(face);
  setAutoFillBackground(true);

  ctl_image_->setAutoRaise(true);
  ctl_image_->setGeometry(16, 32, 23, 23);
  ctl_image_->setIcon(ControlIcon());
  ctl_image_->setIconSize(QSize(24, 24));
  desc_lbl_->move(48, 50);
  desc_lbl_->adjustSize();

  QFont link_font("MS Sans Serif");
  link_font.setPixelSize(11);
  link_font.setUnderline(true);
  lbl_link_->setFont(link_font);
  lbl_link_->setStyleSheet("color: blue");
  lbl_link_->setToolTip("Tamblin web site");
  lbl_link_->setCursor(Qt::PointingHandCursor);
  lbl_link_->move(48, 72);
  lbl_link_->adjustSize();

  ok_btn_->setGeometry(120, 104, 75, 25);
  ok_btn_->setDefault(true);
  connect(ok_btn_, &QPushButton::clicked, this, &QDialog::accept);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
}

}  // namespace pictavo
