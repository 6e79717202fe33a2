#pragma once
// The greeting's window: the picture at its own size, a firework from every click, "f" for full
// screen, any other key or a double click to end.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/output/players/fireworks/fireworks_engine.h"

namespace players::greeting {

// The picture layer: the engine's layer, then the bright sparks of the tick on top.
class FireworksView : public QWidget {
  Q_OBJECT
 public:
  FireworksView(const fireworks::FireworksEngine& engine, QWidget* parent);

 signals:
  void pressed(QPointF position);
  void clicked();
  void doubleClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  const fireworks::FireworksEngine& engine_;
};

class GreetingWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 10;
  static constexpr int kLaunchMs = 100;
  static constexpr int16_t kRocketSpeed = 50;
  static constexpr uint8_t kTrailAlpha = 30;
  // The greeting's fireworks are the same at every run for the same clicks.
  static constexpr uint32_t kSeed = 1;

  // `play_sound` is called at every click.
  GreetingWindow(const QImage& picture, std::function<void()> play_sound);

  // One animation tick: the rocket moves, the picture is blended back, one repaint.
  void Tick();

  const fireworks::FireworkRocket& Rocket() { return engine_.Rockets().front(); }
  const fireworks::FireworksEngine& Engine() const { return engine_; }
  QTimer& AnimationTimer() { return timer1_; }
  const QTimer& LaunchTimer() const { return timer2_; }
  FireworksView* View() const { return view_; }
  bool FullScreen() const { return full_screen_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Click();
  void Launch();
  void ToggleFullScreen();
  void PlacePicture();
  void End();

  QSize picture_size_;
  fireworks::SeededRandom random_{kSeed};
  fireworks::FireworksEngine engine_;
  std::function<void()> play_sound_;
  QTimer timer1_;
  QTimer timer2_;
  QPoint pressed_;
  bool full_screen_ = false;
  FireworksView* view_;
};

}  // namespace players::greeting
