#include "app/controls/popup_menu.h"

#include <QMenu>
#include <QWidget>

namespace velmora {

QPoint BelowLeft(const QWidget* anchor) {
  return anchor->mapToGlobal(QPoint(0, anchor->height()));
}

void PopUpBelow(QMenu* menu, const QWidget* anchor) {
  menu->popup(BelowLeft(anchor));
}

}  // namespace velmora
