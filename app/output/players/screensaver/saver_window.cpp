#include "app/output/players/screensaver/saver_window.h"

#include <QPainter>
#include <cmath>

#include "platform/graphics/system_colors.h"

namespace players::screensaver {

namespace {

QColor FromBgr(uint32_t colour) {
  const plat::TColor rgb = plat::ColorToRGB(colour);
  return QColor(plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb));
}

// A rocket's sparks before its burst sizes them.
constexpr size_t kLaunchSparks = 11;

}  // namespace

SaverWindow::SaverWindow(const QImage& first, PictureSource pictures, const SaverSettings& settings,
                         bool preview, fireworks::RandomSource& random,
                         std::function<void()> play_sound,
                         std::function<void(const QString&)> report)
    : pictures_(std::move(pictures)),
      preview_(preview),
      background_(FromBgr(settings.BgColor)),
      current_picture_(first),
      picture_rect_(QPoint(0, 0), first.size()),
      kinds_(settings.Kinds),
      engine_(first, first.size(), static_cast<int16_t>(settings.RocketSpeed),
              static_cast<uint8_t>(settings.TailLength), random,
              [this](fireworks::RandomSource& r) { return ScreensaverKind(r, kinds_); }),
      play_sound_(std::move(play_sound)),
      report_(std::move(report)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  timer1_.setTimerType(Qt::PreciseTimer);
  timer1_.setInterval(kTickMs);
  timer2_.setInterval(settings.LaunchRate);
  sound_timer_.setInterval(kSoundMs);
  show_timer_.setInterval(settings.Transition * 1000);
  connect(&timer1_, &QTimer::timeout, this, &SaverWindow::Tick);
  connect(&timer2_, &QTimer::timeout, this, &SaverWindow::Launch);
  connect(&sound_timer_, &QTimer::timeout, this, [this] { play_sound_(); });
  connect(&show_timer_, &QTimer::timeout, this, &SaverWindow::NextPicture);
  if (!preview_) {
    timer1_.start();
    timer2_.start();
    if (settings.PlayMusic) sound_timer_.start();
  }
  if (pictures_.Count > 1) show_timer_.start();
}

void SaverWindow::SetDesktop(const QImage& desktop) {
  desktop_ = desktop;
  update();
}

void SaverWindow::Launch() {
  std::vector<fireworks::FireworkRocket>& rockets = engine_.Rockets();
  auto rocket = std::find_if(rockets.begin(), rockets.end(),
                             [](const auto& r) { return r.Y == fireworks::kFinished; });
  if (rocket == rockets.end()) {
    if (rockets.size() >= kMostRockets) return;
    rocket = rockets.emplace(rockets.end());
  }
  fireworks::RandomSource& random = engine_.Random();
  rocket->X = static_cast<float>(std::floor(random.Next() * width()));
  rocket->Y = static_cast<float>(height());
  rocket->TargetY = static_cast<int16_t>(std::nearbyint(random.Next() * height()));
  rocket->Color = static_cast<uint32_t>(std::floor(random.Next() * 16777215.0));
  rocket->Exploded = false;
  rocket->Particles.assign(kLaunchSparks, fireworks::FireworkParticle{});
}

void SaverWindow::Tick() {
  engine_.Tick();
  update();
}

void SaverWindow::NextPicture() {
  const size_t next = current_ + 1 < pictures_.Count ? current_ + 1 : 0;
  try {
    current_picture_ = pictures_.Decode(next);
  } catch (const std::exception& e) {
    show_timer_.stop();
    // The line of the picture in the package's index.
    report_(QString::fromStdString(e.what()) + QStringLiteral("\r\n") + QString::number(next + 1));
    SubEnd();
    return;
  }
  current_ = next;
  engine_.SetPicture(current_picture_);
  if (preview_)
    LayOutPreview();
  else
    CentrePicture();
  update();
}

void SaverWindow::SubEnd() {
  if (preview_) return;
  show_timer_.stop();
  timer1_.stop();
  timer2_.stop();
  sound_timer_.stop();
  emit ended();
}

void SaverWindow::CentrePicture() {
  const QSize size = picture_rect_.size();
  picture_rect_.moveTo(width() > size.width() ? (width() - size.width()) / 2 : 0,
                       height() > size.height() ? (height() - size.height()) / 2 : 0);
}

void SaverWindow::LayOutPreview() {
  preview_picture_ =
      current_picture_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void SaverWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  if (!desktop_.isNull()) painter.drawImage(0, 0, desktop_);
  if (preview_) {
    painter.drawImage(0, 0, preview_picture_);
    return;
  }
  painter.drawImage(picture_rect_.topLeft(), engine_.Layer());
  for (const fireworks::BrightPoint& point : engine_.BrightPoints()) {
    painter.setPen(FromBgr(point.Color));
    painter.drawPoint(point.Position);
  }
}

void SaverWindow::mousePressEvent(QMouseEvent*) {
  SubEnd();
}

void SaverWindow::keyPressEvent(QKeyEvent*) {
  SubEnd();
}

void SaverWindow::resizeEvent(QResizeEvent*) {
  if (preview_)
    LayOutPreview();
  else
    CentrePicture();
}

}  // namespace players::screensaver
