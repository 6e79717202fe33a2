#pragma once
// A push button with a small picture left of its caption. The button paints its face off screen
// as usual, the picture (on a white ground) is ANDed over the face at x 5, vertically centred, and
// the result reaches the screen in one copy; white leaves the face unchanged. The caption is padded
// with leading blanks so that its text moves right of the picture.
#include <QImage>
#include <QObject>

class QAbstractButton;

namespace velmora {

class PictureButton : public QObject {
 public:
  // Pads the caption and takes over the button's painting; the button owns the result. A button
  // already attached gets the new picture.
  static PictureButton* Attach(QAbstractButton* button, const QImage& picture);
  // Gives the button back its plain painting and removes the picture.
  static void Detach(QAbstractButton* button);
  // The attached picture of the button; null when none.
  static PictureButton* Of(const QAbstractButton* button);

  // Leading blanks until the caption, measured with the button's font, reaches width - 5 with an
  // "&" in it, width - 11 without; at most `width` of them.
  static QString PaddedCaption(const QString& caption, const QFont& font, int width);
  // The face with the picture ANDed over it, as the screen receives it.
  static QImage Combine(const QImage& face, const QImage& picture);

  const QImage& Picture() const { return picture_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  PictureButton(QAbstractButton* button, const QImage& picture);
  QImage Face() const;

  QAbstractButton* button_;
  QImage picture_;  // RGB32 on white
};

}  // namespace velmora
