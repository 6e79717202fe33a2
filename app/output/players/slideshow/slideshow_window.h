#pragma once
// The slide show's screen-filling window: the current picture centred on the package's
// background colour, a bar of picture buttons at the bottom centre, and the timer that advances.
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>

#include "app/output/package/package_reader.h"
#include "app/output/players/slideshow/button_glyphs.h"

namespace players::slideshow {

// A picture box acting as a button: its pressed glyph while the mouse button is down on it, the
// normal one otherwise; a release over it is a click.
class GlyphButton : public QWidget {
  Q_OBJECT
 public:
  GlyphButton(Glyph glyph, int left, int width, QWidget* bar);

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap normal_;
  QPixmap pressed_;
  bool down_ = false;
};

class SlideShowWindow : public QWidget {
  Q_OBJECT
 public:
  // The bar, in pixels, and its buttons' places in it (Pause waits beyond the visible width).
  static constexpr int kBarWidth = 260;
  static constexpr int kBarHeight = 60;

  // `package` must outlive the window. The window fills `screen_size`.
  SlideShowWindow(const output::package::PackageReader& package, QSize screen_size);

  // Shows image 0; false (after `failed`) when it cannot be shown.
  bool Start();

  int Current() const { return current_; }
  const QTimer& Timer() const { return timer_; }
  GlyphButton* Button(Glyph glyph) const { return buttons_[static_cast<size_t>(glyph)]; }
  const QWidget* Bar() const { return bar_; }
  const QLabel* Picture() const { return picture_; }

 signals:
  // An image could not be shown; the slide show is over. `message` says which and why.
  void failed(const QString& message);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Previous();
  void Next();
  void Play();
  void Pause();
  void Exit();
  bool ShowImage(int k);
  void PlaceBar();
  void CentrePicture();

  const output::package::PackageReader& package_;
  int current_ = 0;
  QTimer timer_;
  QLabel* picture_;
  QWidget* bar_;
  std::array<GlyphButton*, 5> buttons_{};
};

}  // namespace players::slideshow
