#include "app/output/players/greeting/greeting_window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace players::greeting {

namespace {

QColor FromBgr(uint32_t colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// The program's icon: a burst of eight rays.
QIcon GreetingIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(QColor(20, 24, 48));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor rays[] = {QColor(255, 210, 80), QColor(255, 90, 90)};
  for (int i = 0; i < 8; ++i) {
    painter.setPen(QPen(rays[i % 2], 2.5, Qt::SolidLine, Qt::RoundCap));
    const double a = i * M_PI / 4;
    painter.drawLine(QPointF(16 + 5 * std::cos(a), 16 + 5 * std::sin(a)),
                     QPointF(16 + 13 * std::cos(a), 16 + 13 * std::sin(a)));
  }
  return QIcon(pixmap);
}

}  // namespace

FireworksView::FireworksView(const fireworks::FireworksEngine& engine, QWidget* parent)
    : QWidget(parent), engine_(engine) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FireworksView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, engine_.Layer());
  for (const fireworks::BrightPoint& point : engine_.BrightPoints()) {
    painter.setPen(FromBgr(point.Color));
    painter.drawPoint(point.Position);
  }
}

void FireworksView::mousePressEvent(QMouseEvent* event) {
  emit pressed(event->position());
}

void FireworksView::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint())) emit clicked();
}

void FireworksView::mouseDoubleClickEvent(QMouseEvent*) {
  emit doubleClicked();
}

GreetingWindow::GreetingWindow(const QImage& picture, std::function<void()> play_sound)
    : picture_size_(picture.size()),
      engine_(picture, picture.size(), kRocketSpeed, kTrailAlpha, random_, fireworks::GreetingKind),
      play_sound_(std::move(play_sound)),
      view_(new FireworksView(engine_, this)) {
  setWindowIcon(GreetingIcon());
  engine_.Rockets().emplace_back();
  timer1_.setTimerType(Qt::PreciseTimer);
  timer1_.setInterval(kTickMs);
  timer2_.setInterval(kLaunchMs);
  connect(&timer1_, &QTimer::timeout, this, &GreetingWindow::Tick);
  connect(&timer2_, &QTimer::timeout, this, &GreetingWindow::Launch);
  connect(view_, &FireworksView::pressed, this, [this](QPointF position) {
    pressed_ = QPoint(static_cast<int>(std::nearbyint(position.x())),
                      static_cast<int>(std::nearbyint(position.y())));
  });
  connect(view_, &FireworksView::clicked, this, &GreetingWindow::Click);
  connect(view_, &FireworksView::doubleClicked, this, &GreetingWindow::End);
  view_->setGeometry(QRect(QPoint(0, 0), picture_size_));
  resize(picture_size_);
}

void GreetingWindow::Tick() {
  engine_.Tick();
  view_->update();
}

void GreetingWindow::Click() {
  timer1_.start();
  Launch();
  play_sound_();
}

void GreetingWindow::Launch() {
  fireworks::FireworkRocket& rocket = engine_.Rockets().front();
  rocket.X = static_cast<float>(pressed_.x());
  rocket.Y = static_cast<float>(pressed_.y());
  rocket.TargetY = static_cast<int16_t>(view_->height());
  rocket.Color = static_cast<uint32_t>(std::floor(engine_.Random().Next() * 16777215.0));
  rocket.Exploded = false;
}

void GreetingWindow::ToggleFullScreen() {
  full_screen_ = !full_screen_;
  if (full_screen_) {
    // Where no window manager acts on the state, the size is set as well.
    if (screen()) setGeometry(screen()->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
  } else {
    setWindowState(windowState() & ~Qt::WindowMaximized);
    resize(picture_size_);
  }
  PlacePicture();
}

void GreetingWindow::PlacePicture() {
  if (!full_screen_) {
    view_->move(0, 0);
    return;
  }
  view_->move(width() > view_->width() ? (width() - view_->width()) / 2 : 0,
              height() > view_->height() ? (height() - view_->height()) / 2 : 0);
}

void GreetingWindow::End() {
  timer1_.stop();
  timer2_.stop();
  close();
}

void GreetingWindow::keyPressEvent(QKeyEvent* event) {
  // Keys that type nothing (Shift, arrows) are no key press of their own.
  if (event->text().isEmpty()) return;
  if (event->text() == QStringLiteral("f"))
    ToggleFullScreen();
  else
    End();
}

void GreetingWindow::mouseDoubleClickEvent(QMouseEvent*) {
  End();
}

void GreetingWindow::resizeEvent(QResizeEvent*) {
  PlacePicture();
}

}  // namespace players::greeting
