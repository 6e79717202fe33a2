#pragma once
// Placing the shown image inside the view: the image control is centred while it is smaller than
// the view and starts at the corner (with a usable scroll bar) where it is larger. The geometry is
// a pure function so that its rules can be checked without a window; the widget routines apply it.
#include <QRect>
#include <QSize>

class QScrollBar;
class QWidget;
namespace plat::com {
class ControlHost;
}

namespace shell {

struct FitPlacement {
  QRect imageRect;  // the image control's geometry inside the view
  bool horizontalEnabled = false;
  bool verticalEnabled = false;
  // The part of the image that does not fit; zero or negative when it fits. Kept as int: a 16-bit
  // range made an image more than 32767 pixels larger than the view fail to show at all.
  int horizontalMax = 0;
  int verticalMax = 0;
};

// `shown` is the image as displayed (its zoomed size under AutoZoom), `viewInner` the view's
// inner size.
FitPlacement FitImageToView(QSize shown, QSize viewInner);

// The offset that centres an item of outer size `inner` in `container` along one axis; 0 when the
// item's inner size does not fit.
int CentredOffset(int containerInner, int itemInner, int itemOuter);

// Hides the image control, lets an AutoZoom control size itself to the whole view, places it by
// FitImageToView, shows only the bars that have something to scroll, sets their ranges and shows
// the control again.
void subFitImageToView(QWidget* view, plat::com::ControlHost* imageControl, QScrollBar* hScroll,
                       QScrollBar* vScroll);
// Moves the image control to minus the bar's value.
void subScrollImageVertical(QWidget* imageControl, const QScrollBar* vScroll);
void subScrollImageHorizontal(QWidget* imageControl, const QScrollBar* hScroll);
// Centres `inner` inside `container`.
void subCentreControl(const QWidget* container, QWidget* inner);
// Lets the user pick a colour for `button`'s background; false when cancelled.
bool fncShowColorDialog(QWidget* owner, QWidget* button);

}  // namespace shell
