#include "app/controls/popup_menu.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

namespace velmora {

namespace {

class ClickFilter : public QObject {
 public:
  ClickFilter(QWidget* widget, std::function<void()> clicked)
      : QObject(widget), clicked_(std::move(clicked)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
      clicked_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> clicked_;
};

}  // namespace

QPoint BelowLeft(const QWidget* anchor) {
  return anchor->mapToGlobal(QPoint(0, anchor->height()));
}

void PopUpBelow(QMenu* menu, const QWidget* anchor) {
  menu->popup(BelowLeft(anchor));
}

void OnClick(QWidget* widget, std::function<void()> clicked) {
  widget->installEventFilter(new ClickFilter(widget, std::move(clicked)));
}

}  // namespace velmora
