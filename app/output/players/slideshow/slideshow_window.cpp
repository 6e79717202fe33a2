#include "app/output/players/slideshow/slideshow_window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/output/players/support/player_support.h"
#include "platform/graphics/system_colors.h"

namespace players::slideshow {

namespace {

struct ButtonPlace {
  Glyph glyph;
  int left;
  int width;
};

// In pixels of the bar; Pause starts beyond the bar's visible width and takes Play's place when
// the show plays.
constexpr std::array<ButtonPlace, 5> kButtons = {{
    {Glyph::kPrevious, 0, 70},
    {Glyph::kPlay, 70, 53},
    {Glyph::kNext, 123, 70},
    {Glyph::kExit, 193, 66},
    {Glyph::kPause, 280, 53},
}};

QColor BackColor(int32_t value) {
  const plat::TColor rgb = plat::ColorToRGB(static_cast<plat::TColor>(value));
  return QColor(plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb));
}

// The timer's period: the interval's seconds, at least one.
int PeriodMs(int16_t interval) {
  return std::max<int>(interval, 1) * 1000;
}

}  // namespace

GlyphButton::GlyphButton(Glyph glyph, int left, int width, QWidget* bar)
    : QWidget(bar),
      normal_(DrawGlyph(glyph, QSize(width, SlideShowWindow::kBarHeight), false)),
      pressed_(DrawGlyph(glyph, QSize(width, SlideShowWindow::kBarHeight), true)) {
  setGeometry(left, 0, width, SlideShowWindow::kBarHeight);
}

void GlyphButton::paintEvent(QPaintEvent*) {
  QPainter(this).drawPixmap(0, 0, down_ ? pressed_ : normal_);
}

void GlyphButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  down_ = true;
  update();
}

void GlyphButton::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a quick double click is another press, so Next twice goes two images on.
  mousePressEvent(event);
}

void GlyphButton::mouseReleaseEvent(QMouseEvent* event) {
  if (!down_ || event->button() != Qt::LeftButton) return;
  down_ = false;
  update();
  if (rect().contains(event->position().toPoint())) emit clicked();
}

SlideShowWindow::SlideShowWindow(const output::package::PackageReader& package, QSize screen_size)
    : package_(package), picture_(new QLabel(this)), bar_(new QWidget(this)) {
  setWindowFlag(Qt::FramelessWindowHint);
  setGeometry(QRect(QPoint(0, 0), screen_size));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, BackColor(package.Options().BackColor));
  setPalette(colours);
  setAutoFillBackground(true);
  // A double click on the picture is one on the window.
  picture_->setAttribute(Qt::WA_TransparentForMouseEvents);
  bar_->resize(kBarWidth, kBarHeight);
  for (const ButtonPlace& place : kButtons)
    buttons_[static_cast<size_t>(place.glyph)] =
        new GlyphButton(place.glyph, place.left, place.width, bar_);
  connect(Button(Glyph::kPrevious), &GlyphButton::clicked, this, &SlideShowWindow::Previous);
  connect(Button(Glyph::kNext), &GlyphButton::clicked, this, &SlideShowWindow::Next);
  connect(Button(Glyph::kPlay), &GlyphButton::clicked, this, &SlideShowWindow::Play);
  connect(Button(Glyph::kPause), &GlyphButton::clicked, this, &SlideShowWindow::Pause);
  connect(Button(Glyph::kExit), &GlyphButton::clicked, this, &SlideShowWindow::Exit);
  timer_.setInterval(PeriodMs(package.Options().Interval));
  connect(&timer_, &QTimer::timeout, this, [this] {
    const int count = static_cast<int>(package_.Entries().size());
    ShowImage(count == 0 ? 0 : (current_ + 1) % count);
  });
  PlaceBar();
}

bool SlideShowWindow::Start() {
  return ShowImage(0);
}

void SlideShowWindow::Previous() {
  timer_.stop();
  const int count = static_cast<int>(package_.Entries().size());
  ShowImage(current_ == 0 ? count - 1 : current_ - 1);
}

void SlideShowWindow::Next() {
  timer_.stop();
  const int count = static_cast<int>(package_.Entries().size());
  ShowImage(current_ + 1 >= count ? 0 : current_ + 1);
}

void SlideShowWindow::Play() {
  Button(Glyph::kPlay)->hide();
  Button(Glyph::kPause)->move(Button(Glyph::kPlay)->pos());
  Button(Glyph::kPause)->show();
  timer_.start();
}

void SlideShowWindow::Pause() {
  timer_.stop();
  Button(Glyph::kPause)->hide();
  Button(Glyph::kPlay)->show();
}

void SlideShowWindow::Exit() {
  timer_.stop();
  close();
}

bool SlideShowWindow::ShowImage(int k) {
  const int count = static_cast<int>(package_.Entries().size());
  QString reason;
  if (count == 0) {
    reason = QStringLiteral("The slide show holds no image.");
  } else {
    try {
      picture_->setPixmap(QPixmap::fromImage(DecodeJpeg(package_.Entry(static_cast<size_t>(k)))));
      picture_->adjustSize();
      current_ = k;
      CentrePicture();
      return true;
    } catch (const std::exception& e) {
      reason = QStringLiteral("Image %1 of %2 cannot be shown: %3")
                   .arg(k + 1)
                   .arg(count)
                   .arg(QString::fromStdString(e.what()));
    }
  }
  timer_.stop();
  emit failed(reason);
  return false;
}

void SlideShowWindow::PlaceBar() {
  bar_->move((width() - kBarWidth) / 2, height() - kBarHeight);
  bar_->raise();
}

void SlideShowWindow::CentrePicture() {
  // Negative for a picture larger than the window, which is then cut equally on both sides.
  picture_->move((width() - picture_->width()) / 2, (height() - picture_->height()) / 2);
}

void SlideShowWindow::resizeEvent(QResizeEvent*) {
  if (isMinimized()) return;
  PlaceBar();
  CentrePicture();
}

void SlideShowWindow::mouseDoubleClickEvent(QMouseEvent*) {
  close();
}

void SlideShowWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      Exit();
      break;
    case Qt::Key_Left:
      Previous();
      break;
    case Qt::Key_Right:
      Next();
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace players::slideshow
