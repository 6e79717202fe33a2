#include "app/controls/splitter.h"

#include <QColor>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "app/controls/property_bag.h"
#include "app/controls/twips.h"
#include "platform/base/rounding.h"
#include "platform/graphics/system_colors.h"

namespace velmora {

namespace {

constexpr char kEnabledKey[] = "Enabled";
constexpr char kLeftOrTopKey[] = "LeftOrTopControl";
constexpr char kRightOrBottomKey[] = "RightOrBottomControl";
constexpr char kColorKey[] = "SplitterColor";
constexpr char kWidthKey[] = "SplitterWidth";
constexpr char kMaxKey[] = "SplitterMax";
constexpr char kMinKey[] = "SplitterMin";
constexpr char kPositionKey[] = "SplitterPosition";
constexpr char kOrientationKey[] = "Orientation";

void Fill(QWidget* widget, plat::TColor color) {
  const plat::TColor rgb = plat::ColorToRGB(color);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window,
                   QColor(plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb)));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// A pane reference as the bag stores it: nothing for no pane, so an unset pane is never written.
QVariant PaneValue(QWidget* pane) {
  return pane == nullptr ? QVariant() : QVariant::fromValue(static_cast<QObject*>(pane));
}

QWidget* PaneFrom(const QVariant& value) {
  return qobject_cast<QWidget*>(value.value<QObject*>());
}

}  // namespace

Splitter::Splitter(QWidget* parent, bool userMode)
    : QWidget(parent), userMode_(userMode), bar_(new QWidget(this)), ghost_(new QWidget(this)) {
  bar_->setObjectName(QStringLiteral("picSplitter"));
  ghost_->setObjectName(QStringLiteral("picMover"));
  Fill(ghost_, kGhostColor);
  ghost_->hide();
  PaintBar();
  SetBarCursor();
  bar_->installEventFilter(this);
  PlaceGhost();
  Refresh();
}

void Splitter::SetSplitterPosition(int percent) {
  if (percent < min_) percent = min_;
  if (percent > max_) percent = max_;
  position_ = percent;
  PlaceGhost();
  Refresh();
}

void Splitter::SetSplitterMax(int percent) {
  if (percent < 0) percent = 1;
  if (percent > 100) percent = 99;
  if (percent < min_) percent = min_ + 1;
  max_ = percent;
  PlaceGhost();
  Refresh();
}

void Splitter::SetSplitterMin(int percent) {
  if (percent > 100) percent = 99;
  if (percent < 0) percent = 1;
  if (percent > max_) percent = max_ - 1;
  min_ = percent;
  PlaceGhost();
  Refresh();
}

void Splitter::SetSplitterWidth(int twips) {
  widthTwips_ = twips;
  PlaceGhost();
  Refresh();
}

void Splitter::SetSplitterColor(plat::TColor color) {
  color_ = color;
  PaintBar();
}

// Only the bar follows a new orientation; the panes wait for the next Refresh or resize.
void Splitter::SetOrientation(int orientation) {
  orientation_ = orientation;
  SetBarCursor();
  bar_->setGeometry(BarRectAtPosition());
  ghost_->setGeometry(bar_->geometry());
}

void Splitter::SetLeftOrTopControl(QWidget* pane) {
  StorePane(leftOrTop_, pane);
  Refresh();
}

void Splitter::SetRightOrBottomControl(QWidget* pane) {
  StorePane(rightOrBottom_, pane);
  Refresh();
}

bool Splitter::Enabled() const {
  return bar_->isEnabled();
}

void Splitter::SetEnabled(bool enabled) {
  bar_->setEnabled(enabled);
}

void Splitter::Refresh() {
  bar_->setGeometry(ghost_->geometry());
  if (!userMode_) return;
  const int thickness = BarThickness();
  // A control smaller than its bar leaves no room: the far pane shrinks to nothing rather than
  // keeping a stale size.
  if (IsHorizontal()) {
    const int top = bar_->y();
    PlacePane(leftOrTop_, QRect(0, 0, width(), top));
    PlacePane(rightOrBottom_,
              QRect(0, top + thickness, width(), std::max(0, height() - top - thickness)));
  } else {
    const int left = bar_->x();
    PlacePane(leftOrTop_, QRect(0, 0, left, height()));
    PlacePane(rightOrBottom_,
              QRect(left + thickness, 0, std::max(0, width() - left - thickness), height()));
  }
}

void Splitter::ReadProperties(const PropertyBag& bag) {
  SetEnabled(bag.ReadProperty(kEnabledKey, true).toBool());
  StorePane(leftOrTop_, PaneFrom(bag.ReadProperty(kLeftOrTopKey)));
  StorePane(rightOrBottom_, PaneFrom(bag.ReadProperty(kRightOrBottomKey)));
  SetSplitterColor(bag.ReadProperty(kColorKey, kDefaultColor).toUInt());
  SetSplitterWidth(bag.ReadProperty(kWidthKey, kDefaultWidthTwips).toInt());
  SetLimits(bag.ReadProperty(kMaxKey, kDefaultMax).toInt(),
            bag.ReadProperty(kMinKey, kDefaultMin).toInt());
  SetSplitterPosition(bag.ReadProperty(kPositionKey, kDefaultPosition).toInt());
  SetOrientation(bag.ReadProperty(kOrientationKey, kDefaultOrientation).toInt());
  PaintBar();
  QRect bar = bar_->geometry();
  if (IsHorizontal()) {
    bar.setHeight(BarThickness());
  } else {
    bar.setWidth(BarThickness());
  }
  bar_->setGeometry(bar);
}

// The maximum goes first, unless it lies below the current minimum: then each setter would push
// it above that minimum and a stored pair such as 2..5 would come back as 2..11.
void Splitter::SetLimits(int maxPercent, int minPercent) {
  if (maxPercent < min_) {
    SetSplitterMin(minPercent);
    SetSplitterMax(maxPercent);
  } else {
    SetSplitterMax(maxPercent);
    SetSplitterMin(minPercent);
  }
}

void Splitter::WriteProperties(PropertyBag& bag) const {
  bag.WriteProperty(kEnabledKey, Enabled(), true);
  bag.WriteProperty(kLeftOrTopKey, PaneValue(leftOrTop_));
  bag.WriteProperty(kOrientationKey, orientation_, kDefaultOrientation);
  bag.WriteProperty(kRightOrBottomKey, PaneValue(rightOrBottom_));
  bag.WriteProperty(kPositionKey, position_, kDefaultPosition);
  bag.WriteProperty(kMaxKey, max_, kDefaultMax);
  bag.WriteProperty(kMinKey, min_, kDefaultMin);
  bag.WriteProperty(kColorKey, color_, kDefaultColor);
  bag.WriteProperty(kWidthKey, widthTwips_, kDefaultWidthTwips);
}

void Splitter::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit Resize();
  PlaceGhost();
  Refresh();
}

bool Splitter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != bar_ || !bar_->isEnabled()) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      BeginDrag();
      return true;
    case QEvent::MouseMove:
      if (!dragging_) return false;
      DragTo(static_cast<QMouseEvent*>(event)->position());
      return true;
    case QEvent::MouseButtonRelease:
      if (!dragging_) return false;
      EndDrag();
      return true;
    default:
      return QWidget::eventFilter(watched, event);
  }
}

int Splitter::BarThickness() const {
  return std::max(0, TwipsToPixels(widthTwips_));
}

int Splitter::SizeAcrossBar() const {
  return IsHorizontal() ? height() : width();
}

QRect Splitter::BarRectAt(int offset) const {
  return IsHorizontal() ? QRect(0, offset, width(), BarThickness())
                        : QRect(offset, 0, BarThickness(), height());
}

QRect Splitter::BarRectAtPosition() const {
  return BarRectAt(SizeAcrossBar() * position_ / 100);
}

void Splitter::PlaceGhost() {
  ghost_->setGeometry(BarRectAtPosition());
}

void Splitter::PlacePane(QWidget* pane, const QRect& rect) {
  if (pane != nullptr) pane->setGeometry(rect);
}

void Splitter::StorePane(QPointer<QWidget>& slot, QWidget* pane) {
  slot = pane;
  if (pane == nullptr || pane->parentWidget() == this) return;
  const bool explicitlyHidden =
      pane->testAttribute(Qt::WA_WState_ExplicitShowHide) && pane->isHidden();
  pane->setParent(this);
  if (!explicitlyHidden) pane->show();
  bar_->raise();
}

void Splitter::PaintBar() {
  Fill(bar_, color_);
}

void Splitter::SetBarCursor() {
  bar_->setCursor(IsHorizontal() ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

void Splitter::BeginDrag() {
  ghost_->setGeometry(bar_->geometry());
  ghost_->show();
  ghost_->raise();
  dragging_ = true;
  emit SplitBegin();
}

// Both limits are excluded here, while a position set in code may reach them.
void Splitter::DragTo(const QPointF& pointInBar) {
  const double offset = IsHorizontal() ? bar_->y() + pointInBar.y() : bar_->x() + pointInBar.x();
  const int candidate = static_cast<int>(plat::RoundHalfEven(offset));
  const int size = SizeAcrossBar();
  const int lo = size * min_ / 100;
  const int hi = size * max_ / 100;
  if (lo < candidate && candidate < hi) {
    ghost_->setGeometry(BarRectAt(candidate));
    position_ = static_cast<int>(std::floor(100.0 / (static_cast<double>(size) / candidate)));
  }
  emit SplitMove();
}

void Splitter::EndDrag() {
  bar_->setGeometry(ghost_->geometry());
  ghost_->hide();
  dragging_ = false;
  Refresh();
  emit SplitComplete();
}

}  // namespace velmora
