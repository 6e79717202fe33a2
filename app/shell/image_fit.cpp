#include "app/shell/image_fit.h"

#include <QCoreApplication>
#include <QPalette>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace shell {

namespace {

// Half the free space, halves to even.
int HalfOf(int space) {
  return static_cast<int>(std::nearbyint(space / 2.0));
}

int CentreAlong(int viewInner, int shown) {
  return viewInner > shown ? HalfOf(viewInner - shown) : 0;
}

// A bar's range starts at 0. A fitting image has nothing to scroll: its negative range leaves the
// bar at 0, where a range below 0 would move the bar, and through the bar's change handler the
// image, off its centred place.
void SetScrollRange(QScrollBar* bar, int max) {
  bar->setRange(0, std::max(0, max));
}

// A hidden widget hears of a new size only once it shows again; the control must know it now,
// since its zoomed size is read at once.
void ResizeAtOnce(QWidget* widget, QSize size) {
  const QSize old = widget->size();
  widget->resize(size);
  if (!widget->testAttribute(Qt::WA_PendingResizeEvent)) return;
  widget->setAttribute(Qt::WA_PendingResizeEvent, false);
  QResizeEvent event(size, old);
  QCoreApplication::sendEvent(widget, &event);
}

}  // namespace

FitPlacement FitImageToView(QSize shown, QSize viewInner) {
  FitPlacement fit;
  fit.imageRect =
      QRect(CentreAlong(viewInner.width(), shown.width()),
            CentreAlong(viewInner.height(), shown.height()), shown.width(), shown.height());
  fit.horizontalEnabled = shown.width() > viewInner.width();
  fit.verticalEnabled = shown.height() > viewInner.height();
  fit.horizontalMax = shown.width() - viewInner.width();
  fit.verticalMax = shown.height() - viewInner.height();
  return fit;
}

int CentredOffset(int containerInner, int itemInner, int itemOuter) {
  return itemInner > containerInner ? 0 : HalfOf(containerInner - itemOuter);
}

void subFitImageToView(QWidget* view, plat::com::ControlHost* imageControl, QScrollBar* hScroll,
                       QScrollBar* vScroll) {
  imageControl->setVisible(false);
  // An AutoZoom control computes its zoomed size for the space it is given: the whole view.
  imageControl->resize(view->size());
  // The control sits in the host's layout, which a hidden host applies only when shown again.
  if (QWidget* control = imageControl->ControlWidget()) ResizeAtOnce(control, view->size());
  pictavo::ax::ImageBoxProxy box(imageControl->Dispatch());
  const bool autoZoom = plat::com::IsTrue(box.get_AutoZoom());
  const QSize shown = autoZoom ? QSize(box.get_ZoomedWidth(), box.get_ZoomedHeight())
                               : QSize(box.get_ImageWidth(), box.get_ImageHeight());
  const FitPlacement fit = FitImageToView(shown, view->contentsRect().size());
  imageControl->setGeometry(fit.imageRect);
  // The host's layout still holds the size it last gave the control and would not apply it again:
  // a control left at the view's size would scroll with bars of its own beside the view's.
  if (QWidget* control = imageControl->ControlWidget()) control->resize(fit.imageRect.size());
  // A bar shows only while there is something to scroll: a fitting image has none beside it.
  for (const auto& [bar, needed] :
       {std::pair{hScroll, fit.horizontalEnabled}, std::pair{vScroll, fit.verticalEnabled}}) {
    bar->setEnabled(needed);
    bar->setVisible(needed);
  }
  SetScrollRange(vScroll, fit.verticalMax);
  SetScrollRange(hScroll, fit.horizontalMax);
  imageControl->setVisible(true);
}

void subScrollImageVertical(QWidget* imageControl, const QScrollBar* vScroll) {
  imageControl->move(imageControl->x(), -vScroll->value());
}

void subScrollImageHorizontal(QWidget* imageControl, const QScrollBar* hScroll) {
  imageControl->move(-hScroll->value(), imageControl->y());
}

void subCentreControl(const QWidget* container, QWidget* inner) {
  const QSize box = container->contentsRect().size();
  const QSize innerSize = inner->contentsRect().size();
  inner->move(CentredOffset(box.width(), innerSize.width(), inner->width()),
              CentredOffset(box.height(), innerSize.height(), inner->height()));
}

bool fncShowColorDialog(QWidget* owner, QWidget* button) {
  return Trap(Routine::fncShowColorDialog, [&] {
    const ColorChoice choice = fncChooseColor(owner, true);
    if (choice.Cancelled || choice.Colour < 0) return false;
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, OleColourToQColor(choice.Colour));
    palette.setColor(QPalette::Window, OleColourToQColor(choice.Colour));
    button->setPalette(palette);
    button->setAutoFillBackground(true);
    return true;
  });
}

}  // namespace shell
