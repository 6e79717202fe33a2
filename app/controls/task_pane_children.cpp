// The task pane's child containers: panels of the host shown as a group's body, placed under
// the group's header across the pane and painted in the body colour of the colour scheme.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <array>

#include "app/controls/desktop_theme.h"
#include "app/controls/task_pane.h"
#include "app/controls/task_pane_colours.h"

namespace velmora {
namespace {

using namespace pane_colours;

constexpr int16_t kHandPointer = 99;

// The standard pointer shapes by their codes 1 to 15.
constexpr std::array<Qt::CursorShape, 16> kPointerShapes = {
    Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
    Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
    Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
    Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor};

void SetPointer(QWidget& widget, int16_t code) {
  if (code == kHandPointer) {
    widget.setCursor(Qt::PointingHandCursor);
  } else if (code >= 1 && code < static_cast<int16_t>(kPointerShapes.size())) {
    widget.setCursor(kPointerShapes[static_cast<size_t>(code)]);
  } else {
    widget.unsetCursor();
  }
}

// The two schemes the pane paints by hand: their body fill (the frame is white).
std::optional<QColor> HandBody(const QString& scheme) {
  if (scheme == QLatin1String("Metallic")) return QColor(240, 241, 245);
  if (scheme == QLatin1String("HomeStead")) return QColor(246, 246, 236);
  return std::nullopt;
}

// Option buttons, labels and check boxes show the panel's colour behind them; other controls
// (text boxes, lists, push buttons) keep their own.
void ColourControls(QWidget& panel, const QColor& body) {
  for (QWidget* control : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (qobject_cast<QRadioButton*>(control) == nullptr &&
        qobject_cast<QLabel*>(control) == nullptr && qobject_cast<QCheckBox*>(control) == nullptr) {
      continue;
    }
    QPalette palette = control->palette();
    palette.setColor(control->backgroundRole(), body);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
  }
}

}  // namespace

PaneStatus ucTaskPane::SetGroupChild(const PaneArg& Group, QWidget* pChild, int16_t pChildPointer) {
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kSpecialGroupCode) {
    if (pChild == nullptr) return PaneStatus::kNoObject;
    Adopt(model_.m_SpecialGroup, pChild, pChildPointer, false);
    Repaint();
    return PaneStatus::kOk;
  }
  if (code < 0 || code > model_.m_GroupCount) return PaneStatus::kSubscriptOutOfRange;
  if (pChild == nullptr) return PaneStatus::kNoObject;
  Adopt(model_.m_Groups[static_cast<size_t>(code)], pChild, pChildPointer, code > 0);
  if (code == 0 || m_pChild.count(code) != 0) return PaneStatus::kAlreadyLoaded;
  m_pChild[code] = pChild;
  Repaint();
  return PaneStatus::kOk;
}

// The panel becomes the pane's, hidden until a repaint places it; a panel it replaces is
// hidden, as it no longer belongs to a group.
void ucTaskPane::Adopt(BarGroup& group, QWidget* panel, int16_t pointer, bool placed) {
  if (group.pChild && group.pChild != panel) group.pChild->hide();
  SetPointer(*panel, pointer);
  if (panel->parentWidget() != this) panel->setParent(this);
  panel->hide();
  group.pChild = panel;
  group.pChildPointer = pointer;
  if (placed) panel->installEventFilter(this);
}

// The panel hangs under the header at the header's width and keeps its own height.
void ucTaskPane::PaintChild(BarGroup& group) {
  QWidget& panel = *group.pChild;
  const BarRect& header = group.rcHeader;
  panel.setGeometry(header.left, header.bottom, header.Width(), panel.height());
  panel.show();
  ColourControls(panel, DrawChildFace(panel.size()).body);
  panel.update();
}

// The body of a group in the current scheme: the two hand-drawn schemes and the classic look
// fill and frame it themselves, any other scheme takes the style's group body and its colour
// four pixels in. Without a visual style the top and left edges get the button-face outline.
ucTaskPane::ChildFace ucTaskPane::DrawChildFace(QSize size) {
  ChildFace face;
  const bool classic = m_sScheme == QLatin1String("Classic");
  const std::optional<QColor> hand = HandBody(m_sScheme);
  face.body = hand ? *hand : SysColour(kWindow);
  if (size.isEmpty()) return face;
  face.picture = QImage(size, QImage::Format_RGB32);
  face.picture.fill(face.body);
  QPainter painter(&face.picture);
  painter.setBrush(Qt::NoBrush);
  const QRect inner(0, 0, size.width() - 1, size.height() - 1);
  if (hand || classic) {
    painter.setPen(hand ? QColor(Qt::white) : SysColour(kButtonFace));
    painter.drawRect(inner);
  } else {
    m_DrawRequest.bThemed =
        DrawExplorerBarPart(painter, this, kNormalGroupBody, kStateNormal, face.picture.rect());
    if (size.width() > 4 && size.height() > 4) face.body = face.picture.pixelColor(4, 4);
  }
  if (classic) m_DrawRequest.bThemed = false;
  if (!m_DrawRequest.bThemed) {
    painter.setPen(SysColour(kButtonFace));
    painter.drawRect(QRect(QPoint(0, 0), size));
  }
  return face;
}

// Panels stay with the pane, hidden, ready to be attached again.
void ucTaskPane::ReleaseChildContainers() {
  const auto release = [this](QWidget* panel) {
    if (panel == nullptr) return;
    panel->hide();
    panel->removeEventFilter(this);
  };
  for (const auto& [index, panel] : m_pChild) release(panel);
  m_pChild.clear();
  for (int n = 1; n <= model_.m_GroupCount; ++n) {
    release(model_.m_Groups[static_cast<size_t>(n)].pChild);
  }
}

// A panel paints its body before its own drawing; the pointer over it clears the pane's hover.
bool ucTaskPane::ChildEvent(QWidget* panel, QEvent* event) {
  switch (event->type()) {
    case QEvent::Paint: {
      QPainter painter(panel);
      painter.drawImage(0, 0, DrawChildFace(panel->size()).picture);
      return false;
    }
    case QEvent::Enter:
    case QEvent::MouseMove:
      PointerMoved(Qt::NoButton, QPoint(3, 3));
      return false;
    default:
      return false;
  }
}

}  // namespace velmora
