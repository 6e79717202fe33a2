#include "app/controls/desktop_theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include "platform/graphics/system_colors.h"

namespace velmora {
namespace {

QStyle* RunningStyle(const QWidget* widget) {
  return widget != nullptr ? widget->style() : QApplication::style();
}

QStyle::State StyleState(int state) {
  QStyle::State flags = QStyle::State_None;
  if (state != kStateDisabled) flags |= QStyle::State_Enabled;
  if (state == kStateHot) flags |= QStyle::State_MouseOver;
  if (state == kStatePressed) flags |= QStyle::State_Sunken | QStyle::State_MouseOver;
  if (state != kStatePressed) flags |= QStyle::State_Raised;
  return flags;
}

QStyleOptionButton ButtonOption(const QWidget* widget, const QRect& rect, int state) {
  QStyleOptionButton option;
  if (widget != nullptr) option.initFrom(widget);
  option.rect = rect;
  option.state = StyleState(state == 0 ? kStateNormal : state);
  return option;
}

}  // namespace

QString ColorSchemeName() {
  const QString scheme = qEnvironmentVariable("VELMORA_COLOR_SCHEME");
  if (!scheme.isEmpty()) return scheme;
  return QApplication::style() != nullptr ? QApplication::style()->name() : QString();
}

bool VisualStyleActive() {
  return ColorSchemeName().compare(QLatin1String("Classic"), Qt::CaseInsensitive) != 0;
}

int CurrentSchemeCode() {
  if (!VisualStyleActive()) return 0;
  const QString scheme = ColorSchemeName().toLower();
  int code = 0;
  if (scheme.contains(QLatin1String("normalcolor"))) code = 1;
  if (scheme.contains(QLatin1String("homestead"))) code = 2;
  if (scheme.contains(QLatin1String("metallic"))) code = 3;
  return code;
}

QColor ToQColor(plat::TColor color) {
  const plat::TColor rgb = plat::ColorToRGB(color);
  return QColor(plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb));
}

void DrawThemedPushButton(QPainter& painter, const QWidget* widget, const QRect& rect, int state,
                          const QString& caption, bool focused) {
  QStyle* style = RunningStyle(widget);
  QStyleOptionButton option = ButtonOption(widget, rect, state);
  style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
  if (!caption.isEmpty()) {
    const QRect content = style->subElementRect(QStyle::SE_PushButtonContents, &option, widget);
    painter.setPen(option.palette.color(
        (option.state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled,
        QPalette::ButtonText));
    painter.drawText(content.isValid() ? content : rect, Qt::AlignCenter | Qt::TextSingleLine,
                     caption);
  }
  if (focused) {
    QStyleOptionFocusRect frame;
    frame.QStyleOption::operator=(option);
    frame.rect = rect.adjusted(3, 3, -3, -3);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, widget);
  }
}

void DrawThemedDropButton(QPainter& painter, const QWidget* widget, const QRect& rect, int state) {
  QStyle* style = RunningStyle(widget);
  QStyleOptionButton option = ButtonOption(widget, rect, state);
  style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
  QStyleOption arrow = option;
  const int side = std::max(4, rect.height() / 2);
  arrow.rect = QRect(0, 0, side, side);
  arrow.rect.moveCenter(rect.center());
  style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, widget);
}

}  // namespace velmora

namespace velmora {

ThemedButtonFace::ThemedButtonFace(Kind kind, const QString& caption, QWidget* parent)
    : QWidget(parent), kind_(kind), caption_(caption) {
  setMouseTracking(true);
}

void ThemedButtonFace::SetState(int state) {
  if (state == 0) state = kStateNormal;
  if (state == state_) return;
  state_ = state;
  update();
}

void ThemedButtonFace::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(backgroundRole()));
  if (kind_ == kDropButton) {
    DrawThemedDropButton(painter, this, rect(), state_);
  } else {
    DrawThemedPushButton(painter, this, rect(), state_, caption_, hasFocus());
  }
}

}  // namespace velmora
