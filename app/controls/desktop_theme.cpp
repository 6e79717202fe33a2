#include "app/controls/desktop_theme.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
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

namespace {

bool IsButtonPart(int part) {
  return part == kNormalGroupCollapse || part == kNormalGroupExpand ||
         part == kSpecialGroupCollapse || part == kSpecialGroupExpand;
}

void DrawGroupButton(QPainter& painter, const QWidget* widget, int part, int state,
                     const QRect& rect) {
  QStyle* style = RunningStyle(widget);
  QStyleOption option;
  if (widget != nullptr) option.initFrom(widget);
  option.rect = rect.adjusted(3, 3, -3, -3);
  option.state = StyleState(state == 0 ? kStateNormal : state);
  if (state == kStateHot || state == kStatePressed)
    style->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, widget);
  const bool special = part == kSpecialGroupCollapse || part == kSpecialGroupExpand;
  option.palette.setColor(
      QPalette::ButtonText,
      option.palette.color(special ? QPalette::HighlightedText : QPalette::Highlight));
  option.palette.setColor(QPalette::WindowText, option.palette.color(QPalette::ButtonText));
  option.rect = QRect(0, 0, 10, 10);
  option.rect.moveCenter(rect.center());
  const bool collapse = part == kNormalGroupCollapse || part == kSpecialGroupCollapse;
  style->drawPrimitive(collapse ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                       &option, &painter, widget);
}

}  // namespace

bool DrawExplorerBarPart(QPainter& painter, const QWidget* widget, int part, int state,
                         const QRect& rect) {
  const QPalette palette = widget != nullptr ? widget->palette() : QApplication::palette();
  const QColor highlight = palette.color(QPalette::Highlight);
  switch (part) {
    case kPaneBackground:
      painter.fillRect(rect, palette.color(QPalette::Window).darker(108));
      return true;
    case kNormalGroupBody:
    case kSpecialGroupBody: {
      QColor fill = palette.color(QPalette::Base);
      if (part == kSpecialGroupBody)
        fill = QColor::fromRgbF(0.9f * fill.redF() + 0.1f * highlight.redF(),
                                0.9f * fill.greenF() + 0.1f * highlight.greenF(),
                                0.9f * fill.blueF() + 0.1f * highlight.blueF());
      painter.fillRect(rect, fill);
      painter.setPen(part == kSpecialGroupBody ? highlight : palette.color(QPalette::Mid));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(rect.adjusted(0, 0, -1, -1));
      return true;
    }
    case kNormalGroupHead: {
      QStyleOptionButton option = ButtonOption(widget, rect, state);
      RunningStyle(widget)->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
      return true;
    }
    case kSpecialGroupHead:
      painter.fillRect(rect, state == kStateHot ? highlight.lighter(115) : highlight);
      return true;
    default:
      if (!IsButtonPart(part)) return false;
      DrawGroupButton(painter, widget, part, state, rect);
      return true;
  }
}

QRect ExplorerBarContentRect(int, const QRect& rect) {
  return rect.adjusted(4, 0, -4, 0);
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
