#pragma once
// Splitter: divides its area between two panes with a bar the user drags. The position is a
// percentage of the control's width (vertical bar) or height (horizontal bar), kept between a
// minimum and a maximum percentage. During a drag only a grey ghost bar moves; on release the bar
// jumps to the ghost, both panes are re-placed and SplitComplete is raised.
//
// The control lays out in pixels; SplitterWidth keeps its stored unit, twips (see twips.h).
// A pane is any widget, another Splitter included; it becomes a child of the control, because
// the control places it in its own coordinates.
#include <QPointer>
#include <QWidget>

#include "platform/graphics/color.h"

namespace velmora {

class PropertyBag;

class Splitter : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kVertical = 0;    // left and right panes
  static constexpr int kHorizontal = 1;  // top and bottom panes

  static constexpr int kDefaultPosition = 50;
  static constexpr int kDefaultOrientation = kVertical;
  static constexpr int kDefaultMax = 90;
  static constexpr int kDefaultMin = 10;
  static constexpr plat::TColor kDefaultColor = 0x8000000F;  // the button-face system colour
  static constexpr int kDefaultWidthTwips = 70;
  static constexpr plat::TColor kGhostColor = 0x808080;

  // `userMode` false is design time: the bar follows the position but the panes stay put.
  explicit Splitter(QWidget* parent = nullptr, bool userMode = true);

  int SplitterPosition() const { return position_; }
  void SetSplitterPosition(int percent);
  int SplitterMax() const { return max_; }
  void SetSplitterMax(int percent);
  int SplitterMin() const { return min_; }
  void SetSplitterMin(int percent);
  int SplitterWidth() const { return widthTwips_; }
  void SetSplitterWidth(int twips);
  plat::TColor SplitterColor() const { return color_; }
  void SetSplitterColor(plat::TColor color);
  int Orientation() const { return orientation_; }
  void SetOrientation(int orientation);
  QWidget* LeftOrTopControl() const { return leftOrTop_; }
  void SetLeftOrTopControl(QWidget* pane);
  QWidget* RightOrBottomControl() const { return rightOrBottom_; }
  void SetRightOrBottomControl(QWidget* pane);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  QWidget* hWnd() { return this; }
  QWidget* ContainerHwnd() const { return parentWidget(); }

  // Puts the bar onto the ghost and, in user mode, re-places both panes.
  void Refresh();

  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  // The bar and the ghost, for tests and for the bar's owner in a layout.
  QWidget* Bar() const { return bar_; }
  QWidget* Ghost() const { return ghost_; }

 signals:
  void Resize();
  void SplitComplete();
  void SplitMove();
  void SplitBegin();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Applies stored limits so that a valid pair is kept whatever the current limits are.
  void SetLimits(int maxPercent, int minPercent);
  bool IsHorizontal() const { return orientation_ == kHorizontal; }
  int BarThickness() const;
  // The control's width for a vertical bar, its height for a horizontal one.
  int SizeAcrossBar() const;
  // The bar's rectangle with its leading edge at `offset` pixels.
  QRect BarRectAt(int offset) const;
  QRect BarRectAtPosition() const;
  void PlaceGhost();
  void PlacePane(QWidget* pane, const QRect& rect);
  void StorePane(QPointer<QWidget>& slot, QWidget* pane);
  void PaintBar();
  void SetBarCursor();

  void BeginDrag();
  void DragTo(const QPointF& pointInBar);
  void EndDrag();

  int position_ = kDefaultPosition;
  int orientation_ = kDefaultOrientation;
  int max_ = kDefaultMax;
  int min_ = kDefaultMin;
  plat::TColor color_ = kDefaultColor;
  int widthTwips_ = kDefaultWidthTwips;
  QPointer<QWidget> leftOrTop_;
  QPointer<QWidget> rightOrBottom_;
  bool userMode_;
  bool dragging_ = false;
  QWidget* bar_;
  QWidget* ghost_;
};

}  // namespace velmora
