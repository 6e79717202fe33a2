// The task pane's pointer and wheel: hot and pressed looks, the hand pointer, group toggles,
// item clicks, the pointer entering and leaving the pane, and wheel scrolling.
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/controls/desktop_theme.h"
#include "app/controls/task_pane.h"

namespace velmora {
namespace {

constexpr int kWheelNotch = 120;  // eighths of a degree in one notch of a mouse wheel

// The top and bottom edges belong to a rectangle, the left and right edges do not.
bool Hits(const BarRect& rect, QPoint at) {
  return rect.top <= at.y() && at.y() <= rect.bottom && rect.left < at.x() && at.x() < rect.right;
}

}  // namespace

// The walk reads the model as it goes: a visitor that toggles a group or changes the model in
// a handler of its events is followed by the rest of the walk. Items are visited only while
// their group is expanded; a group that shows a panel has no items on screen.
template <typename OnHeader, typename OnItem>
void ucTaskPane::VisitElements(OnHeader onHeader, OnItem onItem) {
  const auto visitItems = [&](int code) {
    for (int i = 1;; ++i) {
      const BarGroup* group = GroupOf(code, false);
      if (group == nullptr || !group->bExpanded || group->pChild || i > group->iItemCount) return;
      onItem(code, i);
    }
  };
  if (model_.m_bSpecialGroup) {
    onHeader(kSpecialGroupCode);
    visitItems(kSpecialGroupCode);
  }
  for (int n = 1; n <= model_.m_GroupCount; ++n) {
    onHeader(n);
    visitItems(n);
  }
  if (model_.m_bDetailsGroup) onHeader(kDetailsGroupCode);
}

void ucTaskPane::SetHandCur(bool bHand) {
  if (bHand) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
}

void ucTaskPane::RedrawHeader(int code) {
  if (code == kSpecialGroupCode) {
    DrawSpecialHeader();
  } else if (code == kDetailsGroupCode) {
    DrawDetailsHeader();
  } else {
    DrawGroupHeader(code);
  }
}

void ucTaskPane::mouseMoveEvent(QMouseEvent* event) {
  PointerMoved(event->buttons(), event->position().toPoint());
}

void ucTaskPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) PressAt(event->position().toPoint());
}

void ucTaskPane::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton) ClickAt(at);
  PointerMoved(event->buttons() | event->button(), at);
}

void ucTaskPane::enterEvent(QEnterEvent*) {
  PointerEntered();
}

void ucTaskPane::leaveEvent(QEvent*) {
  PointerLeft();
}

// A pointer that arrives without the pane having seen it enter (the pane appeared under it)
// counts as entering.
void ucTaskPane::PointerMoved(Qt::MouseButtons buttons, QPoint at) {
  if (buttons == Qt::NoButton && !m_bMouseInside) PointerEntered();
  TrackHover(at);
}

void ucTaskPane::PointerEntered() {
  if (!isEnabled() || m_bMouseInside) return;
  Repaint();
  emit MouseOver();
  m_bMouseInside = true;
}

// Moving the hover to (1, 1), where nothing lies, clears every hot header and item.
void ucTaskPane::PointerLeft() {
  if (m_bMouseInside) {
    emit MouseOut();
    m_bMouseInside = false;
  }
  TrackHover(QPoint(1, 1));
}

// Each element acts only when the pointer crosses its edge. Leaving and entering happen in one
// pass in element order, so the pointer shape is the one the last crossing set.
void ucTaskPane::TrackHover(QPoint at) {
  // Repaints and timers waiting in the queue run first; other input waits for its turn.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  VisitElements(
      [&](int code) {
        BarGroup& group = *GroupOf(code, true);
        const bool inside = Hits(group.rcHeader, at);
        if (inside == group.bHot) return;
        group.bHot = inside;
        group.iState = static_cast<int16_t>(inside ? kStateHot : kStateNormal);
        SetHandCur(inside);
        RedrawHeader(code);
        if (inside) {
          emit GroupHover(group.sKey);
        } else {
          emit GroupOut(group.sKey);
        }
      },
      [&](int code, int i) {
        BarGroup& group = *GroupOf(code, false);
        BarItem& item = group.Items[static_cast<size_t>(i)];
        const bool inside = Hits(item.rcItem, at);
        if (inside == item.bHot) return;
        item.bHot = inside;
        DrawItem(code, i, inside ? kStateHot : kStateNormal);
        SetHandCur(inside);
        if (inside) {
          emit ItemHover(group.sKey, item.sKey);
        } else {
          emit ItemOut(group.sKey, item.sKey);
        }
      });
}

// A press only changes looks; the release decides.
void ucTaskPane::PressAt(QPoint at) {
  VisitElements(
      [&](int code) {
        BarGroup& group = *GroupOf(code, true);
        if (!Hits(group.rcHeader, at)) return;
        group.iState = kStatePressed;
        RedrawHeader(code);
      },
      [&](int code, int i) {
        if (Hits(GroupOf(code, false)->Items[static_cast<size_t>(i)].rcItem, at)) {
          DrawItem(code, i, kStatePressed);
        }
      });
}

// The element under the pointer at the release acts, wherever the press was. A toggled group
// is laid out again before the walk goes on, so the rest of the walk sees the new layout.
void ucTaskPane::ClickAt(QPoint at) {
  try {
    VisitElements(
        [&](int code) {
          BarGroup& group = *GroupOf(code, true);
          if (!Hits(group.rcHeader, at)) return;
          group.bExpanded = !group.bExpanded;
          group.iState = kStateHot;
          Repaint();
          if (code != kSpecialGroupCode) repaint();
          emit GroupClick(code, group.bExpanded);
        },
        [&](int code, int i) {
          const BarGroup& group = *GroupOf(code, false);
          const BarItem& item = group.Items[static_cast<size_t>(i)];
          if (!Hits(item.rcItem, at)) return;
          DrawItem(code, i, kStateHot);
          emit ItemClick(group.sKey, item.sKey);
        });
  } catch (...) {
    // A handler that fails ends the click; the hover below still follows the pointer.
  }
}

// Angle deltas add up to whole notches (a touchpad sends parts of one); each notch scrolls
// kWheelStep pixels. A wheel turned with a key or a button held is not the pane's.
void ucTaskPane::Wheel(QWheelEvent& wheel) {
  if (!m_ScrollBar->isVisibleTo(this) || wheel.modifiers() != Qt::NoModifier ||
      wheel.buttons() != Qt::NoButton) {
    return;
  }
  wheel.accept();
  wheelSum_ += wheel.angleDelta().y();
  const int notches = wheelSum_ / kWheelNotch;
  if (notches == 0) return;
  wheelSum_ -= notches * kWheelNotch;
  // The scroll bar keeps the value within its range and reports the change, which repaints.
  m_ScrollBar->setValue(m_ScrollBar->value() - notches * kWheelStep);
}

}  // namespace velmora
