#pragma once
// The screensaver's window. Full screen: the background colour (or the desktop as it was at the
// start), the first picture's layer in the centre cross-fading into each next picture, rockets
// launched all over the window; a click or a key ends it, moving the mouse does not. Preview: the
// current picture stretched over the window, no fireworks, nothing ends it.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/output/players/fireworks/fireworks_engine.h"
#include "app/output/players/screensaver/saver_settings.h"

namespace players::screensaver {

// The package's pictures: how many, and a decoder of picture k that throws std::exception.
struct PictureSource {
  size_t Count = 0;
  std::function<QImage(size_t)> Decode;
};

class SaverWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 10;
  static constexpr int kSoundMs = 3000;
  // Rockets kept at most: finished ones are reused, so this is reached only by very slow bursts.
  static constexpr size_t kMostRockets = 32767;

  // `first` is picture 0 of `pictures`, already decoded; `random` must outlive the window.
  // `report` shows the fault of a later picture; `play_sound` plays the firework sound.
  SaverWindow(const QImage& first, PictureSource pictures, const SaverSettings& settings,
              bool preview, fireworks::RandomSource& random, std::function<void()> play_sound,
              std::function<void(const QString&)> report);

  // The desktop copy drawn under everything instead of the background colour.
  void SetDesktop(const QImage& desktop);

  // One launch: the first finished rocket, or a new one, from the bottom edge.
  void Launch();
  // One animation tick: every rocket moves, the picture is blended back, one repaint.
  void Tick();
  // The next picture, after the last the first; a fault is reported and ends the screensaver.
  void NextPicture();
  // Ends the screensaver outside the preview; the preview only its host ends.
  void SubEnd();

  size_t CurrentPicture() const { return current_; }
  bool Preview() const { return preview_; }
  QRect PictureRect() const { return picture_rect_; }
  const QImage& PreviewPicture() const { return preview_picture_; }
  fireworks::FireworksEngine& Engine() { return engine_; }
  QTimer& AnimationTimer() { return timer1_; }
  QTimer& LaunchTimer() { return timer2_; }
  QTimer& SoundTimer() { return sound_timer_; }
  QTimer& ShowTimer() { return show_timer_; }

 signals:
  void ended();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CentrePicture();
  void LayOutPreview();

  PictureSource pictures_;
  bool preview_;
  QColor background_;
  QImage desktop_;
  QImage current_picture_;
  QImage preview_picture_;
  size_t current_ = 0;
  QRect picture_rect_;
  fireworks::BurstSwitches kinds_;
  fireworks::FireworksEngine engine_;
  std::function<void()> play_sound_;
  std::function<void(const QString&)> report_;
  QTimer timer1_;
  QTimer timer2_;
  QTimer sound_timer_;
  QTimer show_timer_;
};

}  // namespace players::screensaver
