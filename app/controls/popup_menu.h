#pragma once
// Popup menus open where the design anchors them: just below a button or a caption, starting at
// its left edge, or at the mouse; a caption opens its menu on a click.
#include <functional>

class QMenu;
class QPoint;
class QWidget;

namespace velmora {

// The lower-left corner of `anchor` on the screen.
QPoint BelowLeft(const QWidget* anchor);

// Opens `menu` without blocking at the lower-left corner of `anchor`.
void PopUpBelow(QMenu* menu, const QWidget* anchor);

// Runs `clicked` when the left mouse button is released over `widget`, as a label's click.
void OnClick(QWidget* widget, std::function<void()> clicked);

}  // namespace velmora
